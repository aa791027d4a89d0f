#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QDBusMessage;

namespace ui {

// Desktop notifications through the freedesktop notification service on a D-Bus bus: the
// session bus in the program, a private one in tests. Where no service answers, the text goes to
// the fallback (the icon's own message) instead, without its actions.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    struct Action {
        QString key;
        QString label;
    };
    using ActionHandler = std::function<void(const QString& key)>;

    DesktopNotifier();

    // The bus the service is looked for on; until one is set every notification goes to the
    // fallback.
    void useBus(const QDBusConnection& bus);
    // Sends one notification; onAction is called with the key of the action the user picks.
    // The call does not wait for the service.
    void notify(const QString& title, const QString& body, const std::vector<Action>& actions = {},
                ActionHandler onAction = nullptr);

    // Shows title and body some other way; false when it cannot.
    std::function<bool(const QString& title, const QString& body)> fallback;

private slots:
    void actionInvoked(uint id, const QString& key);
    void notificationClosed(uint id, uint reason);

private:
    void showByFallback(const QString& title, const QString& body);

    QDBusConnection bus_;
    // The handlers of notifications still on screen, by the service's id.
    QHash<uint, ActionHandler> handlers_;
};

}  // namespace ui
