#pragma once

#include <QString>
#include <cstdint>

#include "ui/intervaltimer.h"
#include "windows/windowbase.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// The dial pad: number entry, the redial list, normal or continuous mode, and the dial exchange
// with the adapter, whose replies the link's reply check hands to it.
class DialPad : public WindowBase {
    Q_OBJECT
public:
    explicit DialPad(WindowContext& app);

    // Opens the pad from the record editor or the call log, dialling the number when dialNow
    // is 1, after the adapter's prologue on the device-link window.
    void openToDial(uint8_t dialNow, const QString& number);
    // dial 1 dials DialNumber, 0 hangs up; shows the pad either way.
    void dialOrHangUp(uint8_t dial);
    void enableKeys(bool enabled);
    // Shows the name of the phone book record whose number is in the field.
    void showBookName();
    // Closes the pad: hangs up, closes the port and brings back the window that opened it.
    void hangUpAndReturn();

    void backspaceClicked();       // "BS"
    void startClicked();           // start: dial, hang up, or end a continuous run
    void redialClicked();          // "R"
    void normalModeClicked();      // normal mode
    void continuousModeClicked();  // continuous mode

    QLabel* namePanel = nullptr;  // name of the phone book record
    QLineEdit* numberField = nullptr;
    QPushButton* redialButton = nullptr;
    QPushButton* key1Button = nullptr;
    QPushButton* key2Button = nullptr;
    QPushButton* key3Button = nullptr;
    QPushButton* key4Button = nullptr;
    QPushButton* key5Button = nullptr;
    QPushButton* key6Button = nullptr;
    QPushButton* key7Button = nullptr;
    QPushButton* key8Button = nullptr;
    QPushButton* key9Button = nullptr;
    QPushButton* key0Button = nullptr;     // "０"
    QPushButton* starKeyButton = nullptr;  // "＊"
    QPushButton* hashKeyButton = nullptr;  // "#"
    QPushButton* backspaceButton = nullptr;
    QPushButton* startButton = nullptr;
    QLabel* statusPanel = nullptr;  // status
    QPushButton* cancelButton = nullptr;
    QMenu* modeMenu = nullptr;
    QAction* normalModeAction = nullptr;
    QAction* continuousModeAction = nullptr;
    QAction* cancelMenuAction = nullptr;

    ui::IntervalTimer elapsedTimer;         // elapsed time of a connected call
    ui::IntervalTimer blinkTimer;           // blinking while a call is set up
    ui::IntervalTimer continuousWaitTimer;  // wait between two attempts of a continuous run

    // True while idle: the start button dials; false while a call is under way or a continuous
    // run waits.
    bool readyToDial = true;
    int32_t elapsedSeconds = 0;
    // Normal mode: the redial slot "R" shows next. Continuous mode: the attempt number.
    int32_t redialIndex = 0;
    int32_t waitTicks = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    QPushButton* addKey(const QString& caption, char key, int left, int top);
    void keyClicked(char key);
    void countElapsed();
    void blink();
    void continuousWaitTick();
    void checkReply();
    void caretToEnd();
};
