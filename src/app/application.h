#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/appwindows.h"
#include "app/programstate.h"
#include "ui/uiservices.h"

class QWidget;

namespace comm {
class SerialDeviceFactory;
}

// Everything one run of the program owns: the shared record, the windows, and the platform
// services the windows use. main() builds one with Qt's services; tests build one with theirs.
class Application {
public:
    // Without a settings path the settings file lies beside the executable.
    Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices, QString executablePath,
                QString tableFolder, QString settingsPath = QString());
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Creates the windows in their fixed order; the main window's creation handler runs first.
    void createWindows();

    ProgramState State{};
    ui::UiServices Ui;
    comm::SerialDeviceFactory& SerialDevices;
    AppWindows windows;

    const QString& executablePath() const { return executablePath_; }
    const QString& settingsPath() const { return settingsPath_; }
    // Folder of the two table files: the current directory in the program.
    const QString& tableFolder() const { return tableFolder_; }

    // The application's general error display.
    void showException(const QString& text);
    // Runs fn and shows any error escaping it, as the event loop's default handler does.
    void guarded(const std::function<void()>& fn);

    // Ends the run: closing the main window ends the event loop.
    std::function<void()> onQuit;
    void quit();

    // Keeps a window created during the run; the application deletes them in reverse order.
    template <typename T>
    T* own(T* window) {
        windows_.emplace_back(window);
        return window;
    }

private:
    QString executablePath_;
    QString settingsPath_;
    QString tableFolder_;
    std::vector<std::unique_ptr<QWidget>> windows_;
};
