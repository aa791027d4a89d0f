#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "app/appwindows.h"
#include "app/archivecheck.h"
#include "app/archivetotalscount.h"
#include "ui/intervaltimer.h"
#include "windows/windowcontext.h"

class QWidget;
class Navigator;
class SplashWindow;

// Everything one run of the program owns: the shared record, the windows, the link to the
// adapter, and the platform services the windows use. main() builds one with Qt's services;
// tests build one with theirs.
class Application : public WindowContext {
public:
    // Without a settings path the settings file lies beside the executable.
    Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices, QString executablePath,
                QString tableFolder, QString settingsPath = QString());
    ~Application() override;

    // The start of the run: shows the splash, reads the settings, opens the tables, tells the
    // first failure, and creates the windows; the menu follows the splash after 2000 ms. False
    // when the run must end at once because another run holds the tables.
    bool start();
    // Creates the windows in their fixed order.
    void createWindows();

    // The splash window while it shows; released when splashTimer fires.
    SplashWindow* splash() const { return splash_.get(); }
    ui::IntervalTimer splashTimer;
    // The one-time count of an earlier release's archive, after the windows exist.
    ArchiveTotalsCount archiveTotals;
    // The whole archive file read once a run, off the path to the first window.
    ArchiveCheck archiveCheck;

    AppWindows windows;

    // Keeps a window created during the run; the application deletes them in reverse order.
    template <typename T>
    T* own(T* window) {
        windows_.emplace_back(window);
        return window;
    }

private:
    // Shows in the windows what the exchanges with the adapter report.
    void connectExchangeReports();
    void endSplash();

    std::unique_ptr<Navigator> navigator_;
    std::unique_ptr<SplashWindow> splash_;
    std::vector<std::unique_ptr<QWidget>> windows_;
};
