#include "ui/desktopnotifier.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace ui {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
// The server's own default time on screen.
constexpr int ServerDefaultTimeout = -1;

}  // namespace

DesktopNotifier::DesktopNotifier() : bus_(QString()) {}

void DesktopNotifier::useBus(const QDBusConnection& bus) {
    bus_ = bus;
    if (!bus_.isConnected()) {
        return;
    }
    bus_.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                 SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::notify(const QString& title, const QString& body,
                             const std::vector<Action>& actions, ActionHandler onAction) {
    if (!bus_.isConnected()) {
        showByFallback(title, body);
        return;
    }
    QStringList actionList;
    for (const Action& action : actions) {
        actionList << action.key << action.label;
    }
    // The desktop shows the program's name and icon from its desktop entry.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral(TILKA_APP_ID)}};
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << QCoreApplication::applicationName() << uint(0) << QStringLiteral(TILKA_APP_ID) << title
         << body << actionList << hints << ServerDefaultTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, title, body, onAction] {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError()) {
                    showByFallback(title, body);
                    return;
                }
                if (onAction) {
                    handlers_.insert(reply.value(), onAction);
                }
            });
}

void DesktopNotifier::showByFallback(const QString& title, const QString& body) {
    if (fallback) {
        fallback(title, body);
    }
}

void DesktopNotifier::actionInvoked(uint id, const QString& key) {
    const ActionHandler handler = handlers_.value(id);
    if (handler) {
        handler(key);
    }
}

void DesktopNotifier::notificationClosed(uint id, uint) {
    handlers_.remove(id);
}

}  // namespace ui
