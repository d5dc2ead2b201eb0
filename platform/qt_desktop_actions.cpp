#include "platform/qt_desktop_actions.h"

#include "platform/command_line.h"
#include "platform/power.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace chimewell {

namespace {

// A scheme of two characters or more, so that a drive letter ("C:\...") reads as a path, and without dots,
// so that "www.example.com:8080" reads as a host with a port; a colon followed by digits only is a port.
bool HasScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+-]+:(?!\\d+(?:[/?#]|$))"));
    return scheme.match(text).hasMatch();
}

// "www.example.com", "example.com:8080/x", "localhost/x": a dotted name of letters, digits and hyphens whose
// last label starts with a letter, or localhost, up to the first '/', '?' or '#'.
bool LooksLikeHost(const QString& text) {
    static const QRegularExpression host(
        QStringLiteral("^(?:localhost|(?:[\\w-]+\\.)+[^\\W\\d_][\\w-]*)(?::\\d+)?(?:[/?#]|$)"),
        QRegularExpression::UseUnicodePropertiesOption);
    return host.match(text).hasMatch();
}

bool IsExplicitPath(const QString& text) {
    return text.startsWith(u'/') || text == u'~' || text.startsWith(QStringLiteral("~/")) ||
           text.startsWith(QStringLiteral("./")) || text.startsWith(QStringLiteral("../"));
}

QString ExpandHome(const QString& path) {
    if (path == u'~' || path.startsWith(QStringLiteral("~/"))) {
        return QDir::homePath() + path.mid(1);
    }
    return path;
}

bool StartProgram(const std::string& commandLine) {
    const auto words = SplitCommandLine(commandLine);
    if (!words || words->empty() || words->front().empty()) {
        return false;
    }
    QStringList arguments;
    for (auto word = words->begin() + 1; word != words->end(); ++word) {
        arguments << QString::fromStdString(*word);
    }
    return QProcess::startDetached(QString::fromStdString(words->front()), arguments);
}

bool OpenTarget(const std::string& target) {
    const QUrl url = OpenTargetUrl(target);
    return url.isValid() && QDesktopServices::openUrl(url);
}

// A freedesktop notification, sent without waiting: a desktop without a notification service simply shows none.
void PostDesktopNotification(const std::string& title, const std::string& text) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("晴铃提醒") << 0U << QStringLiteral("chimewell") << QString::fromStdString(title)
         << QString::fromStdString(text) << QStringList()
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("chimewell")}} << -1;
    QDBusConnection::sessionBus().asyncCall(call);
}

} // namespace

QUrl OpenTargetUrl(const std::string& target) {
    // Blanks around a typed address or a pasted path are never meant.
    const QString text = QString::fromStdString(target).trimmed();
    if (text.isEmpty()) {
        return {};
    }
    if (IsExplicitPath(text)) {
        return QUrl::fromLocalFile(QFileInfo(ExpandHome(text)).absoluteFilePath());
    }
    if (HasScheme(text)) {
        return QUrl(text, QUrl::TolerantMode);
    }
    // A file in the working folder wins over a host of the same name ("notes.txt").
    if (QFileInfo::exists(text)) {
        return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    }
    if (LooksLikeHost(text)) {
        return QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
    }
    return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

DesktopActions QtDesktopActions() {
    return DesktopActions{
        .StartProgram = StartProgram,
        .OpenTarget = OpenTarget,
        .PowerOff = [] { return RequestPower(PowerRequest::PowerOff); },
        .Reboot = [] { return RequestPower(PowerRequest::Reboot); },
        .Beep = [] { QApplication::beep(); },
        .Notify = PostDesktopNotification,
    };
}

} // namespace chimewell
