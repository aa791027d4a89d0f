#pragma once

#include <QDBusConnection>
#include <QObject>

namespace ui {

// Tells when the machine has woken from standby, through the login manager's PrepareForSleep
// signal on a bus (the system bus in the program). On a bus without a login manager nothing
// ever comes.
class WakeWatcher : public QObject {
    Q_OBJECT
public:
    WakeWatcher();
    void listenOn(const QDBusConnection& bus);

signals:
    void woke();

private slots:
    void prepareForSleep(bool goingToSleep);

private:
    QDBusConnection bus_;
};

}  // namespace ui
