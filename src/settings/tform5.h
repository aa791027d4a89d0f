#pragma once

#include "app/tformbase.h"
#include "ui/ttimer.h"

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TRadioGroup;

// The options window: password, log recording modes, COM port, dial line and adapter model.
// Its three timers outlive any one opening: Timer1 sends the TEL 2 log mode for the save and for
// the log download, Timer2 is the delayed port close of every exchange, Timer3 ends the save.
class TForm5 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm5(Application& app);

    // Fills the window from the current settings and shows it.
    void OpsionSet();
    // Adapts the dial line group and the log groups to the selected model.
    void TaSelect();
    // Closes the port ms milliseconds from now; a call with the delay already set changes
    // nothing, another delay starts the count again.
    void DelayComClose(int ms);

    void BitBtn1Click();  // save
    void BitBtn2Click();  // cancel
    void BitBtn3Click();  // help
    void Button1Click();  // "無効": clear the password

    QFrame* Panel2 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QFrame* Panel1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    TRadioGroup* RadioGroup6 = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    TRadioGroup* RadioGroup4 = nullptr;
    TRadioGroup* RadioGroup3 = nullptr;
    TRadioGroup* RadioGroup2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    ui::TTimer Timer1;
    ui::TTimer Timer2;
    ui::TTimer Timer3;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void SaveAndSend();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void FormClose();
};
