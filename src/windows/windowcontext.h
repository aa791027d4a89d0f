#pragma once

#include <QString>
#include <functional>

#include "adapter/devicelink.h"
#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "db/phonebooktable.h"
#include "rules/logimport.h"
#include "rules/numberreader.h"
#include "state/programstate.h"
#include "ui/uiservices.h"

class Navigation;

namespace comm {
class SerialDeviceFactory;
}

// What a window may use of the run: the shared record, the platform services, the tables,
// the link to the adapter with its exchanges, and the navigation between windows.
class WindowContext {
public:
    // Without a settings path the settings file lies beside the executable.
    WindowContext(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices,
                  QString executablePath, QString tableFolder, QString settingsPath = QString());
    virtual ~WindowContext();
    WindowContext(const WindowContext&) = delete;
    WindowContext& operator=(const WindowContext&) = delete;

    appstate::ProgramState state{};
    ui::UiServices services;
    comm::SerialDeviceFactory& serialDevices;
    adapter::DeviceLink link;
    db::CallLogTable callLogTable;
    db::PhoneBookTable phoneBookTable;
    // Every call ever downloaded, kept across runs and log clears.
    db::CallArchive callArchive;
    // Takes the held log image into the three tables.
    rules::LogImport logImport;
    // Where numbers come from and how they are shown to people, each number read once a run.
    rules::NumberReader numbers;

    Navigation& nav() { return *navigation_; }

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

protected:
    Navigation* navigation_ = nullptr;

private:
    QString executablePath_;
    QString settingsPath_;
    QString tableFolder_;
};
