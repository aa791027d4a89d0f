#include "ui/wakewatcher.h"

namespace ui {

WakeWatcher::WakeWatcher() : bus_(QString()) {}

void WakeWatcher::listenOn(const QDBusConnection& bus) {
    bus_ = bus;
    if (bus_.isConnected()) {
        bus_.connect(QStringLiteral("org.freedesktop.login1"),
                     QStringLiteral("/org/freedesktop/login1"),
                     QStringLiteral("org.freedesktop.login1.Manager"),
                     QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    }
}

void WakeWatcher::prepareForSleep(bool goingToSleep) {
    if (!goingToSleep) {
        emit woke();
    }
}

}  // namespace ui
