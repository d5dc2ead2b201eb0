#pragma once
// A notification-area icon over the desktops' D-Bus protocol (StatusNotifierItem: KDE, Xfce, GNOME with its
// extension). Qt speaks the protocol itself only when the desktop's tray service was there when the program
// started, and never looks again; a session that starts the program before its panel needs this one.

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

class QMenu;

namespace chimewell {

struct SniIconPixmap {
    int Width = 0;
    int Height = 0;
    QByteArray Argb; // 32-bit ARGB, big-endian, row by row
};
using SniIconPixmaps = QList<SniIconPixmap>;

struct SniToolTip {
    QString IconName;
    SniIconPixmaps Pixmaps;
    QString Title;
    QString Description;
};

// The icon at the sizes a panel asks for most.
SniIconPixmaps SniPixmapsOf(const QIcon& icon);

class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    StatusNotifierItem(const QString& id, const QString& title, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    void SetIcon(const QIcon& icon);
    void SetToolTip(const QString& text);
    // The menu of a right click; the item does not own it.
    void SetMenu(QMenu* menu);

    // Offers the item to the desktop's tray service, without waiting; `registered` tells the answer. False when
    // there is no tray service on the session bus to ask.
    bool Register();
    bool IsRegistered() const { return Registered; }
    // The bus name the item is offered under.
    QString ServiceName() const { return Service; }

    // Reached through the bus.
    QString Id;
    QString Title;
    SniIconPixmaps IconPixmaps;
    SniToolTip ToolTipData;
    QMenu* Menu = nullptr;

signals:
    // A click on the icon (the desktop's "activate").
    void activated();
    // The tray service took the item, or refused it.
    void registered(bool accepted);
    void newIcon();
    void newToolTip();

private:
    QString Service;
    bool Registered = false;
    bool Exported = false;
};

} // namespace chimewell

Q_DECLARE_METATYPE(chimewell::SniIconPixmap)
Q_DECLARE_METATYPE(chimewell::SniToolTip)

QDBusArgument& operator<<(QDBusArgument& argument, const chimewell::SniIconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, chimewell::SniIconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const chimewell::SniToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, chimewell::SniToolTip& toolTip);
