#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "app/appwindows.h"
#include "windows/windowcontext.h"

class QWidget;
class Navigator;

// Everything one run of the program owns: the shared record, the windows, the link to the
// adapter, and the platform services the windows use. main() builds one with Qt's services;
// tests build one with theirs.
class Application : public WindowContext {
public:
    // Without a settings path the settings file lies beside the executable.
    Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices, QString executablePath,
                QString tableFolder, QString settingsPath = QString());
    ~Application() override;

    // Creates the windows in their fixed order; the main window's creation handler runs first.
    void createWindows();

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

    std::unique_ptr<Navigator> navigator_;
    std::vector<std::unique_ptr<QWidget>> windows_;
};
