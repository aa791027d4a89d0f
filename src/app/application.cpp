#include "app/application.h"

#include <QWidget>
#include <exception>

#include "app/inifile.h"
#include "app/tform10.h"
#include "app/tform12.h"
#include "app/tform18.h"
#include "app/tmain.h"
#include "calllog/tform13.h"
#include "calllog/tform2.h"
#include "dial/tdialsystem.h"
#include "link/tform14.h"
#include "phonebook/tform3.h"
#include "phonebook/tuserlist.h"
#include "settings/tform15.h"
#include "settings/tform19.h"
#include "settings/tform5.h"
#include "settings/tform7.h"

Application::Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices,
                         QString executablePath, QString tableFolder)
    : Ui(ui),
      SerialDevices(serialDevices),
      executablePath_(std::move(executablePath)),
      settingsPath_(settingsPathFor(executablePath_)),
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

void Application::createForms() {
    F.Main = own(new TMain(*this));
    F.Form2 = own(new TForm2(*this));
    F.Form3 = own(new TForm3(*this));
    F.UserList = own(new TUserList(*this));
    F.Form5 = own(new TForm5(*this));
    F.DialSystem = own(new TDialSystem(*this));
    F.Form7 = own(new TForm7(*this));
    F.Form10 = own(new TForm10(*this));
    // TForm11 is the instance the main window's creation handler made.
    F.Form12 = own(new TForm12(*this));
    F.Form13 = own(new TForm13(*this));
    F.Form14 = own(new TForm14(*this));
    F.Form15 = own(new TForm15(*this));
    F.Form18 = own(new TForm18(*this));
    F.Form19 = own(new TForm19(*this));
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
