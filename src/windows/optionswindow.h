#pragma once

#include "ui/intervaltimer.h"
#include "windows/windowbase.h"

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
    explicit OptionsWindow(WindowContext& app);

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
    QPushButton* saveButton = nullptr;
    QPushButton* cancelButton = nullptr;

    ui::IntervalTimer saveNoticeTimer;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void saveAndSend();
    void endSaveNotice();
    void returnToMenu();
};
