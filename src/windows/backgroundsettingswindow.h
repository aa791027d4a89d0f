#pragma once

#include <functional>

#include "state/backgroundsettings.h"
#include "windows/settingswindow.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The window "常駐と自動受信": the settings of the icon in the notification area, the scheduled
// download, the notifications, the guard of the adapter's log memory and the start at login,
// with the state of the schedule. OK hands the settings on; keeping them is done below.
class BackgroundSettingsWindow : public SettingsWindow {
    Q_OBJECT
public:
    explicit BackgroundSettingsWindow(WindowContext& context);

    // Shows the window holding settings; without a notification area it says that the icon
    // cannot be shown.
    void showSettings(const appstate::BackgroundSettings& settings, bool trayAvailable);
    // The state of the schedule: the last scheduled download and what came of it.
    void showStatus(const QString& status);
    // The settings as the window holds them now.
    appstate::BackgroundSettings shownSettings() const;

    // OK: the settings the user chose. A failure thrown from it is told and the window stays.
    std::function<void(const appstate::BackgroundSettings&)> onAccepted;

    QCheckBox* residentBox = nullptr;           // "常駐する"
    QLabel* noTrayLabel = nullptr;              // shown without a notification area
    QSpinBox* fetchMinutesBox = nullptr;        // "自動受信の間隔", 0 for off
    QCheckBox* notifyBox = nullptr;             // "新着を通知する"
    QSpinBox* fullPercentBox = nullptr;         // the memory threshold in percent
    QCheckBox* clearWhenArchivedBox = nullptr;  // "保存済みの記録を自動で削除する"
    QCheckBox* autostartBox = nullptr;          // "ログイン時に起動する"
    QLabel* statusLine = nullptr;

protected:
    bool keep() override;
    void closed() override;

private:
    void buildWindow();
};
