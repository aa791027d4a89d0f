#pragma once

#include "app/windowbase.h"
#include "ui/intervaltimer.h"

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class OptionGroup;

// The options window: password, log recording modes, COM port, dial line and adapter model.
// Its three timers outlive any one opening: tel2LogModeTimer sends the TEL 2 log mode for the save
// and for the log download, portCloseTimer is the delayed port close of every exchange,
// saveNoticeTimer ends the save.
class OptionsWindow : public WindowBase {
    Q_OBJECT
public:
    explicit OptionsWindow(Application& app);

    // Fills the window from the current settings and shows it.
    void showOptions();
    // Adapts the dial line group and the log groups to the selected model.
    void adaptToModel();
    // Closes the port ms milliseconds from now; a call with the delay already set changes
    // nothing, another delay starts the count again.
    void closePortLater(int ms);

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
    QPushButton* saveButton = nullptr;
    QPushButton* cancelButton = nullptr;

    ui::IntervalTimer tel2LogModeTimer;
    ui::IntervalTimer portCloseTimer;
    ui::IntervalTimer saveNoticeTimer;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void saveAndSend();
    void sendTel2LogMode();
    void closeDelayedPort();
    void endSaveNotice();
    void returnToMenu();
};
