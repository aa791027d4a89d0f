#include "windows/windowcontext.h"

#include <exception>

#include "protocol/secondsscale.h"
#include "state/inifile.h"

WindowContext::WindowContext(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices,
                             QString executablePath, QString tableFolder, QString settingsPath)
    : services(ui),
      serialDevices(serialDevices),
      link(state, ui.timers, ui.wallClock, serialDevices),
      callLogTable(tableFolder),
      phoneBookTable(tableFolder),
      callArchive(tableFolder, protocol::monthOfMoment),
      logImport(state, callLogTable, phoneBookTable, callArchive),
      executablePath_(std::move(executablePath)),
      settingsPath_(settingsPath.isEmpty() ? appstate::settingsPathFor(executablePath_)
                                           : std::move(settingsPath)),
      tableFolder_(std::move(tableFolder)) {
    services.timers.onError = [this](const std::string& message) {
        showException(QString::fromStdString(message));
    };
    QObject::connect(&link, &adapter::DeviceLink::handlerError,
                     [this](const QString& message) { showException(message); });
}

WindowContext::~WindowContext() {
    services.timers.onError = nullptr;
}

void WindowContext::showException(const QString& text) {
    services.dialogs.showError(text);
}

void WindowContext::guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        showException(QString::fromUtf8(e.what()));
    }
}

void WindowContext::quit() {
    if (onQuit) {
        onQuit();
    }
}
