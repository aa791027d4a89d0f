#pragma once

#include <QString>
#include <array>
#include <vector>

#include "adapter/devicelink.h"
#include "link/serialdevicelist.h"
#include "ui/intervaltimer.h"
#include "windows/windowbase.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class OptionGroup;

// The options window: password, log recording modes, COM port, dial line and adapter model.
// saveNoticeTimer ends the notice that the options were saved.
class OptionsWindow : public WindowBase {
    Q_OBJECT
public:
    OptionsWindow(WindowContext& context, adapter::DeviceLink& link,
                  comm::SerialDeviceFactory& serialDevices, appstate::ProgramState& state,
                  QString settingsPath);

    // Fills the window from the current settings and shows it.
    void showOptions();
    // Adapts the dial line group and the log groups to the selected model.
    void adaptToModel();

    void saveClicked();           // save
    void cancelClicked();         // cancel
    void helpClicked();           // help
    void clearPasswordClicked();  // "無効": clear the password

    QFrame* titlePanel = nullptr;
    QLabel* titlePicture = nullptr;
    QPushButton* helpButton = nullptr;
    QFrame* settingsPanel = nullptr;
    QGroupBox* passwordGroup = nullptr;
    QLabel* passwordLabel = nullptr;
    QLabel* passwordHint = nullptr;
    QLineEdit* passwordField = nullptr;
    QPushButton* clearPasswordButton = nullptr;
    OptionGroup* modelGroup = nullptr;
    OptionGroup* tel1LogModeGroup = nullptr;
    OptionGroup* tel2LogModeGroup = nullptr;
    OptionGroup* comPortGroup = nullptr;
    OptionGroup* dialLineGroup = nullptr;
    // The device each COM port reaches: the user's choice among the serial devices present.
    QGroupBox* deviceGroup = nullptr;
    QComboBox* deviceBox = nullptr;
    QLabel* reachLabel = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* cancelButton = nullptr;

    ui::IntervalTimer saveNoticeTimer;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    adapter::DeviceLink& link_;
    comm::SerialDeviceFactory& serialDevices_;
    appstate::ProgramState& state_;
    QString settingsPath_;
    void buildWindow();
    void saveAndSend();
    void endSaveNotice();
    // Lists the devices present with the chosen COM port's choice selected.
    void showDeviceChoice();
    void deviceChosen();
    void showReach();
    // Keeps the choices that changed in the settings file, before the save opens the port.
    void saveDeviceChoices();
    void returnToMenu();

    std::vector<comm::SerialDeviceEntry> presentDevices_;
    // Per COM port, the device chosen in the window and the one in the settings file.
    std::array<QString, 4> chosenDevices_;
    std::array<QString, 4> savedDevices_;
};
