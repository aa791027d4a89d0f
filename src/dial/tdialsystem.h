#pragma once

#include <QString>
#include <cstdint>

#include "app/tformbase.h"
#include "ui/ttimer.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// The dial pad: number entry, the redial list, normal or continuous mode, and the dial exchange
// with the adapter, whose replies the receive handler hands to Timer4.
class TDialSystem : public TFormBase {
    Q_OBJECT
public:
    explicit TDialSystem(Application& app);

    // Opens the pad from the record editor or the call log, dialling the number when dialNow
    // is 1, after the adapter's prologue on the device-link window.
    void setup(uint8_t dialNow, const QString& number);
    // flag 1 dials DialNumber, 0 hangs up; shows the pad either way.
    void Dialstart(uint8_t flag);
    void TenKey(bool enabled);
    // Shows the name of the phone book record whose number is in the field.
    void LookupBookName();
    // Closes the pad: hangs up, closes the port and brings back the window that opened it.
    void FormClose();

    void Button12Click();  // "BS"
    void Button13Click();  // start: dial, hang up, or end a continuous run
    void Button16Click();  // "R"
    void K1Click();        // normal mode
    void K2Click();        // continuous mode

    QLabel* Panel4 = nullptr;  // name of the phone book record
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button16 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button10 = nullptr;  // "０"
    QPushButton* Button11 = nullptr;  // "＊"
    QPushButton* Button14 = nullptr;  // "#"
    QPushButton* Button12 = nullptr;
    QPushButton* Button13 = nullptr;
    QLabel* Panel3 = nullptr;  // status
    QPushButton* Button15 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* K1 = nullptr;
    QAction* K2 = nullptr;
    QAction* K3 = nullptr;

    ui::TTimer Timer1;  // elapsed time of a connected call
    ui::TTimer Timer2;  // blinking while a call is set up
    ui::TTimer Timer3;  // wait between two attempts of a continuous run
    ui::TTimer Timer4;  // reply check, armed by the receive handler

    // True while idle: the start button dials; false while a call is under way or a continuous
    // run waits.
    bool ReadyToDial = true;
    int32_t ElapsedSeconds = 0;
    // Normal mode: the redial slot "R" shows next. Continuous mode: the attempt number.
    int32_t RedialIndex = 0;
    int32_t WaitTicks = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    QPushButton* addKey(const QString& caption, char key, int left, int top);
    void KeyClick(char key);
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    void caretToEnd();
};
