#include "platform/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QtEndian>

namespace chimewell {

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString ItemPath = QStringLiteral("/StatusNotifierItem");

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<SniIconPixmap>();
        qDBusRegisterMetaType<SniIconPixmaps>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)registered;
}

} // namespace

SniIconPixmaps SniPixmapsOf(const QIcon& icon) {
    SniIconPixmaps pixmaps;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull()) {
            continue;
        }
        SniIconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.Argb.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
        char* out = pixmap.Argb.data();
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                qToBigEndian(line[x], out);
                out += 4;
            }
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

// The item's face on the bus. Its properties and methods are what tray hosts read and call.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(chimewell::SniIconPixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(chimewell::SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item) : QDBusAbstractAdaptor(item), Item(item) {
        connect(item, &StatusNotifierItem::newIcon, this, &StatusNotifierItemAdaptor::NewIcon);
        connect(item, &StatusNotifierItem::newToolTip, this, &StatusNotifierItemAdaptor::NewToolTip);
    }

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return Item->Id; }
    QString Title() const { return Item->Title; }
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString IconName() const { return {}; }
    SniIconPixmaps IconPixmap() const { return Item->IconPixmaps; }
    SniToolTip ToolTip() const { return Item->ToolTipData; }
    // The menu opens on ContextMenu: the program's own menu, not one described over the bus.
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

public slots:
    void Activate(int, int) { emit Item->activated(); }
    void SecondaryActivate(int, int) { emit Item->activated(); }
    void ContextMenu(int x, int y) {
        if (Item->Menu != nullptr) {
            Item->Menu->popup(QPoint(x, y));
        }
    }
    void Scroll(int, const QString&) {}

signals:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* Item;
};

StatusNotifierItem::StatusNotifierItem(const QString& id, const QString& title, QObject* parent)
    : QObject(parent), Id(id), Title(title) {
    RegisterTypes();
    ToolTipData.Title = title;
    new StatusNotifierItemAdaptor(this);
    Service = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
}

StatusNotifierItem::~StatusNotifierItem() {
    if (Exported) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(ItemPath);
        bus.unregisterService(Service);
    }
}

void StatusNotifierItem::SetIcon(const QIcon& icon) {
    IconPixmaps = SniPixmapsOf(icon);
    ToolTipData.Pixmaps = IconPixmaps;
    emit newIcon();
}

void StatusNotifierItem::SetToolTip(const QString& text) {
    ToolTipData.Title = text;
    emit newToolTip();
}

void StatusNotifierItem::SetMenu(QMenu* menu) {
    Menu = menu;
}

bool StatusNotifierItem::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(WatcherService)) {
        Registered = false;
        return false;
    }
    if (!Exported) {
        Exported = bus.registerService(Service) && bus.registerObject(ItemPath, this, QDBusConnection::ExportAdaptors);
        if (!Exported) {
            return false;
        }
    }
    QDBusMessage call = QDBusMessage::createMethodCall(WatcherService, WatcherPath, WatcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << Service;
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        Registered = !answered->isError();
        emit registered(Registered);
    });
    return true;
}

} // namespace chimewell

QDBusArgument& operator<<(QDBusArgument& argument, const chimewell::SniIconPixmap& pixmap) {
    argument.beginStructure();
    argument << pixmap.Width << pixmap.Height << pixmap.Argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, chimewell::SniIconPixmap& pixmap) {
    argument.beginStructure();
    argument >> pixmap.Width >> pixmap.Height >> pixmap.Argb;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const chimewell::SniToolTip& toolTip) {
    argument.beginStructure();
    argument << toolTip.IconName << toolTip.Pixmaps << toolTip.Title << toolTip.Description;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, chimewell::SniToolTip& toolTip) {
    argument.beginStructure();
    argument >> toolTip.IconName >> toolTip.Pixmaps >> toolTip.Title >> toolTip.Description;
    argument.endStructure();
    return argument;
}

#include "status_notifier_item.moc"
