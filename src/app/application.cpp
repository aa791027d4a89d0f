#include "app/application.h"

#include <QWidget>
#include <exception>

#include "app/aboutwindow.h"
#include "app/compactmenuwindow.h"
#include "app/confirmationwindow.h"
#include "app/inifile.h"
#include "app/mainmenuwindow.h"
#include "calllog/calllogwindow.h"
#include "calllog/progresswindow.h"
#include "dial/dialpad.h"
#include "link/portmessagewindow.h"
#include "phonebook/phonebookwindow.h"
#include "phonebook/recordeditor.h"
#include "settings/chargeswindow.h"
#include "settings/optionssavedwindow.h"
#include "settings/optionswindow.h"
#include "settings/passwordwindow.h"

Application::Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices,
                         QString executablePath, QString tableFolder, QString settingsPath)
    : Ui(ui),
      SerialDevices(serialDevices),
      executablePath_(std::move(executablePath)),
      settingsPath_(settingsPath.isEmpty() ? settingsPathFor(executablePath_)
                                           : std::move(settingsPath)),
      tableFolder_(std::move(tableFolder)) {
    Ui.timers.onError = [this](const std::string& message) {
        showException(QString::fromStdString(message));
    };
}

Application::~Application() {
    Ui.timers.onError = nullptr;
    while (!windows_.empty()) {
        windows_.pop_back();
    }
}

void Application::createWindows() {
    windows.mainMenu = own(new MainMenuWindow(*this));
    windows.callLog = own(new CallLogWindow(*this));
    windows.recordEditor = own(new RecordEditor(*this));
    windows.phoneBook = own(new PhoneBookWindow(*this));
    windows.options = own(new OptionsWindow(*this));
    windows.dialPad = own(new DialPad(*this));
    windows.password = own(new PasswordWindow(*this));
    windows.confirmation = own(new ConfirmationWindow(*this));
    // The device link is the instance the main window's creation handler made.
    windows.about = own(new AboutWindow(*this));
    windows.progress = own(new ProgressWindow(*this));
    windows.portMessage = own(new PortMessageWindow(*this));
    windows.charges = own(new ChargesWindow(*this));
    windows.compactMenu = own(new CompactMenuWindow(*this));
    windows.optionsSaved = own(new OptionsSavedWindow(*this));
}

void Application::showException(const QString& text) {
    Ui.dialogs.showError(text);
}

void Application::guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        showException(QString::fromUtf8(e.what()));
    }
}

void Application::quit() {
    if (onQuit) {
        onQuit();
    }
}
