#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

#include "state/programstate.h"
#include "ui/intervaltimer.h"

namespace adapter {

class DeviceLink;
class ReceiveBuffer;

// The dial: the identification before the first dial of a run, the dial and hang-up commands on
// the dial line, the check of the adapter's reply, the redial list and continuous redial with
// its wait between attempts. The dial pad starts it and shows what it reports.
class DialExchange : public QObject {
    Q_OBJECT
public:
    // What the pad's start button offers.
    enum class StartButton {
        Dial,           // idle: the next press dials
        HangUp,         // a call is under way
        Continuous,     // continuous mode chosen: the next press starts a run
        AttemptFailed,  // an attempt of the run failed; count is its number
        Waiting,        // the wait before the next attempt; count is the seconds left
    };

    DialExchange(DeviceLink& link, appstate::ProgramState& state, ReceiveBuffer& received,
                 ui::TimerBackend& timers);

    // Opens the empty pad after the prologue.
    void openFromMenu();
    // Opens the pad after the prologue, dialling number at once when dialNow is 1.
    void prepare(uint8_t dialNow, const QString& number);

    // The start button with the number in the field: dials, hangs up, or ends a continuous run
    // and dials once more in normal mode.
    void start(const QString& typed);
    // Hangs up; the pad shows either way.
    void hangUp();
    // The next number of the redial list for the field, or nothing when the list is empty.
    std::optional<QString> nextRedialNumber();
    void useNormalMode();
    void useContinuousMode();
    // A connected call that has lasted a second ends a continuous run.
    void endContinuousRun();
    // The pad closes: the run ends first so that the hang-up that follows stays the last.
    void endRun();
    // After the hang-up of a closing pad: the port closes and nothing is under way any more.
    void close();

    bool readyToDial() const { return readyToDial_; }
    // Whether the prologue under way ends in a dial of the number given.
    bool dialsOnOpen() const { return dialOnOpen_; }
    int32_t redialIndex() const { return redialIndex_; }
    const ui::IntervalTimer& prologueTimer() const { return prologueTimer_; }
    const ui::IntervalTimer& replyCheckTimer() const { return replyCheckTimer_; }

    // Bytes are about to be read from the port: a pending reply check waits for them.
    void pauseReplyCheck();
    // Re-arms the reply check after bytes arrived: the reply is read half a second after the
    // last arrival while a dial is under way.
    void bytesArrived();

signals:
    // The pad stops counting a call's time and blinking.
    void countingStopped();
    // The pad is to show and come to the front.
    void padShown();
    // A dial is about to go out: the field shows number as dialled, with its record's name.
    void dialling(const QString& number);
    // The dial went out: the pad counts no time yet and blinks.
    void dialSent();
    // The adapter's reply was read; statusText, when given, is the pad's new status.
    void answered(const std::optional<QString>& statusText);
    // The call is up: the pad counts its time.
    void connected();
    // The hang-up went out: the pad stops counting and blinking.
    void hungUp();
    void startButtonChanged(adapter::DialExchange::StartButton shows, int count);
    // The number keys and the field are usable (idle) or not (a call or run under way).
    void keysEnabled(bool enabled);
    // The reply check looks at the bytes received so far.
    void checkingReply();
    // The port for a dial could not be used; the dial is off.
    void portUnavailable();

private:
    void startPrologue(uint8_t dialNow, int delayMs);
    void prologueStep();
    void dialOrHangUp(uint8_t dial);
    void checkReply();
    void continuousWaitTick();
    void showStartButton(StartButton shows, int count = 0);

    DeviceLink& link_;
    appstate::ProgramState& state_;
    ReceiveBuffer& received_;
    ui::IntervalTimer prologueTimer_;
    ui::IntervalTimer replyCheckTimer_;
    ui::IntervalTimer continuousWaitTimer_;
    // True while idle: the start button dials; false while a call is under way or a continuous
    // run waits.
    bool readyToDial_ = true;
    // Normal mode: the redial slot "R" shows next. Continuous mode: the attempt number.
    int32_t redialIndex_ = 0;
    int32_t waitTicks_ = 0;
    // The prologue's step, and whether it ends in a dial.
    int prologueStep_ = 0;
    bool dialOnOpen_ = false;
    StartButton startButton_ = StartButton::Dial;
};

}  // namespace adapter
