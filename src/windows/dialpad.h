#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "adapter/devicelink.h"
#include "adapter/dialexchange.h"
#include "db/phonebooktable.h"
#include "ui/intervaltimer.h"
#include "windows/windowbase.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// The dial pad: number entry, the redial button and the choice of normal or continuous mode. It
// starts the link's dial exchange and shows what that reports.
class DialPad : public WindowBase {
    Q_OBJECT
public:
    DialPad(WindowContext& context, adapter::DeviceLink& link, db::PhoneBookTable& phoneBook);

    // What the dial exchange reports.
    void showPad();
    void stopCounting();
    void showDialling(const QString& number);
    void showDialSent();
    void showAnswer(const std::optional<QString>& statusText);
    void startCountingTime();
    void showHungUp();
    void showStartButton(adapter::DialExchange::StartButton shows, int count);
    // Enabled keys hand the keyboard focus to the number field.
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

    ui::IntervalTimer elapsedTimer;  // elapsed time of a connected call
    ui::IntervalTimer blinkTimer;    // blinking while a call is set up

    int32_t elapsedSeconds = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    adapter::DeviceLink& link_;
    db::PhoneBookTable& phoneBook_;
    void buildWindow();
    QPushButton* addKey(const QString& caption, char key, int left, int top);
    void keyClicked(char key);
    void countElapsed();
    void blink();
    void caretToEnd();
};
