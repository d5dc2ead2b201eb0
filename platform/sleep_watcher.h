#pragma once
// The machine waking from suspend, as the login manager announces it on the system bus (PrepareForSleep with
// false): the reminders are checked at once, not at the next minute.

#include <QDBusConnection>
#include <QObject>

namespace chimewell {

class SleepWatcher : public QObject {
    Q_OBJECT
public:
    // Listens on the given bus (the system bus in the program; a private bus in tests).
    explicit SleepWatcher(const QDBusConnection& bus, QObject* parent = nullptr);

signals:
    void resumed();

private slots:
    void PrepareForSleep(bool sleeping);
};

} // namespace chimewell
