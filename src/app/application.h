#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "adapter/devicelink.h"
#include "app/appwindows.h"
#include "app/archivecheck.h"
#include "app/archivetotalscount.h"
#include "app/backgroundfetch.h"
#include "app/navigator.h"
#include "app/waitingcallsender.h"
#include "db/archiveoutbox.h"
#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "db/phonebooktable.h"
#include "db/tablebackups.h"
#include "rules/logimport.h"
#include "state/autostartentry.h"
#include "state/backgroundsettings.h"
#include "state/programstate.h"
#include "ui/desktopnotifier.h"
#include "ui/intervaltimer.h"
#include "ui/uiservices.h"
#include "ui/wakewatcher.h"
#include "windows/windowcontext.h"

class QWidget;
class SplashWindow;
class TrayIcon;

namespace comm {
class SerialDeviceFactory;
}

// Everything one run of the program owns: the shared record, the tables, the link to the
// adapter, the windows, and the platform services. It hands each window what that window uses.
// main() builds one with Qt's services; tests build one with theirs.
class Application {
public:
    // Without a settings path the settings file lies beside the executable.
    Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices, QString executablePath,
                QString tableFolder, QString settingsPath = QString());
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start of the run: shows the splash, reads the settings, opens the tables, tells the
    // first failure, and creates the windows; the menu follows the splash after 2000 ms. False
    // when the run must end at once because another run holds the tables.
    bool start(bool showWindows = true);
    // Creates the windows in their fixed order.
    void createWindows();

    appstate::ProgramState state{};
    ui::UiServices services;
    comm::SerialDeviceFactory& serialDevices;
    adapter::DeviceLink link;
    db::CallLogTable callLogTable;
    db::PhoneBookTable phoneBookTable;
    // Every call ever downloaded, kept across runs and log clears.
    db::CallArchive callArchive;
    // The calls of downloads that could not reach the office's server, until it answers again.
    db::ArchiveOutbox archiveOutbox;
    // Takes the held log image into the three tables.
    rules::LogImport logImport;
    // Who the running download reports to: the windows; a second start, whose download shows
    // its progress but no result; or the background watch, for which no window shows at all.
    enum class DownloadOwner { Windows, SecondStart, Background };
    DownloadOwner downloadOwner = DownloadOwner::Windows;

    // The splash window while it shows; released when splashTimer fires.
    SplashWindow* splash() const { return splash_.get(); }
    ui::IntervalTimer splashTimer;
    // The one-time count of an earlier release's archive, after the windows exist.
    ArchiveTotalsCount archiveTotals;
    // The whole archive file read once a run, off the path to the first window.
    ArchiveCheck archiveCheck;
    // Sends the calls that waited for the office's server once it answers again.
    WaitingCallSender waitingCalls;

    AppWindows windows;
    Navigator& nav() { return *navigator_; }
    // How numbers are shown to people, shared by the windows.
    rules::NumberReader& numbers() { return windowContext_.numbers; }

    const QString& executablePath() const { return executablePath_; }
    const QString& settingsPath() const { return settingsPath_; }
    // Folder of the table files: the current directory in the program.
    const QString& tableFolder() const { return tableFolder_; }

    // The application's general error display.
    void showException(const QString& text) { windowContext_.showException(text); }
    // Runs fn and shows any error escaping it.
    void guarded(const std::function<void()>& fn) { windowContext_.guarded(fn); }
    // What ends the run: closing the main window ends the event loop.
    std::function<void()>& onQuit() { return windowContext_.onQuit; }
    void quit() { windowContext_.quit(); }

    // Whether the desktop has a notification area for the icon now; it may come after the start,
    // when the panel starts after the program at login.
    std::function<bool()> trayAvailable;
    // Where the entry that starts the program at login lives.
    QString autostartPath;
    // Desktop notifications, on the session bus in the program; the icon's message without one.
    ui::DesktopNotifier notifier;
    // The machine's wake from standby, from the login manager on the system bus.
    ui::WakeWatcher wakeWatcher;
    // The quiet downloads, notifications and log-memory guard of resident mode.
    BackgroundFetch& backgroundFetch() { return *fetch_; }
    const appstate::BackgroundSettings& backgroundSettings() const { return backgroundSettings_; }
    // Shows the icon while resident and hands the settings to the background watch.
    void applyBackgroundSettings(const appstate::BackgroundSettings& settings);
    // Keeps settings chosen in the settings window (the settings file and the login start
    // entry), then applies them. Throws BackgroundSetupError when they cannot be kept.
    void changeBackgroundSettings(const appstate::BackgroundSettings& settings);
    // The state of the scheduled download, in the icon's tooltip and the settings window.
    void showBackgroundStatus(const QString& text);
    // A message from the icon, for a desktop without a notification service; false when no icon
    // shows.
    bool showTrayMessage(const QString& title, const QString& text);
    // Whether the icon shows in a notification area: closing the main menu then leaves the run
    // going.
    bool residentInTray() const;

    // Dated copies of the phone book and the archive, in "backup" beside the tables.
    db::TableBackups backups;
    // Puts the backup at path back while the program runs: the table closes, the backup
    // replaces it, and the table opens again. Tells how it went.
    void restoreBackup(db::BackupKind kind, const QString& path);

    // Keeps a window created during the run; the application deletes them in reverse order.
    template <typename T>
    T* own(T* window) {
        windows_.emplace_back(window);
        return window;
    }

private:
    // The first start of a day copies the phone book at once and the archive once the whole
    // file has been found sound.
    void takeDailyBackup(db::BackupKind kind);
    // Shows in the windows what the exchanges with the adapter report.
    void connectExchangeReports();
    void endSplash();

    QString executablePath_;
    QString settingsPath_;
    QString tableFolder_;
    std::unique_ptr<Navigator> navigator_;
    WindowContext windowContext_;
    std::unique_ptr<SplashWindow> splash_;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::unique_ptr<BackgroundFetch> fetch_;
    appstate::BackgroundSettings backgroundSettings_;
    std::vector<std::unique_ptr<QWidget>> windows_;
};
