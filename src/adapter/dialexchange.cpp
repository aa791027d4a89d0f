#include "adapter/dialexchange.h"

#include <exception>

#include "adapter/devicelink.h"
#include "protocol/dialreply.h"
#include "protocol/hgcommands.h"
#include "rules/telnumber.h"
#include "ui/sjis.h"

namespace adapter {

namespace {

constexpr int MenuPrologueDelay = 1;
constexpr int DialPrologueDelay = 500;
constexpr int PrologueInterval = 700;
constexpr int ReplyCheckDelay = 500;
constexpr int WaitTickMs = 1000;
// Ticks of the wait between two attempts: automatic re-calling must leave the line alone for a
// while, so the next attempt goes out when the count shown reaches 0.
constexpr int WaitTicksPerAttempt = 60;
// A continuous run ends with the attempt of this number.
constexpr int MaxAttempt = 100;

QString textOf(const QByteArray& bytes) {
    return sjis::toUnicode(bytes);
}

}  // namespace

DialExchange::DialExchange(DeviceLink& link, ProgramState& state, ReceiveBuffer& received,
                           ui::TimerBackend& timers)
    : link_(link),
      state_(state),
      received_(received),
      prologueTimer_(timers),
      replyCheckTimer_(timers),
      continuousWaitTimer_(timers) {
    prologueTimer_.OnTimer = [this] { prologueStep(); };
    replyCheckTimer_.OnTimer = [this] { checkReply(); };
    continuousWaitTimer_.OnTimer = [this] { continuousWaitTick(); };
}

void DialExchange::openFromMenu() {
    state_.DialNumber.clear();
    startPrologue(0, MenuPrologueDelay);
}

void DialExchange::prepare(uint8_t dialNow, const QString& number) {
    received_.restart();
    state_.DialNumber.assign(sjis::fromUnicode(number));
    startPrologue(dialNow, DialPrologueDelay);
}

void DialExchange::startPrologue(uint8_t dialNow, int delayMs) {
    prologueStep_ = 0;
    dialOnOpen_ = dialNow == 1;
    prologueTimer_.setInterval(delayMs);
}

void DialExchange::prologueStep() {
    ProgramState& s = state_;
    SerialPort& port = link_.serialPort;
    prologueTimer_.setInterval(PrologueInterval);
    try {
        if (s.adapterIdentified) {
            prologueTimer_.setInterval(0);
            port.open();
            prologueStep_ = 0;
            dialOrHangUp(dialOnOpen_ ? 1 : 0);
            return;
        }
        switch (prologueStep_) {
            case 0:
                port.setPort(static_cast<uint8_t>(s.ComPort));
                port.open();
                port.writeText(hg::EchoOffCommand());
                prologueStep_ = 1;
                break;
            case 1:
                received_.restart();
                prologueStep_ = 2;
                port.writeText(hg::IdentifyCommand());
                break;
            default:
                prologueTimer_.setInterval(0);
                s.adapterIdentified = true;
                prologueStep_ = 0;
                dialOrHangUp(dialOnOpen_ ? 1 : 0);
                break;
        }
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, and no pad without its port.
        prologueTimer_.setInterval(0);
        port.close();
        s.DialInProgress = false;
        emit portUnavailable();
    }
}

void DialExchange::dialOrHangUp(uint8_t dial) {
    ProgramState& s = state_;
    SerialPort& port = link_.serialPort;
    emit countingStopped();
    continuousWaitTimer_.setInterval(0);
    s.DialInProgress = true;
    port.setPort(static_cast<uint8_t>(s.ComPort));
    emit padShown();
    if (!s.ContinuousDial) {
        redialIndex_ = 0;
    }
    // An empty number opens the pad without a word to the adapter; but a dial that went out
    // with no digits is still an attempt under way, and hanging it up must not be skipped.
    if (s.DialNumber.empty() && readyToDial_) {
        return;
    }
    if (dial == 1) {
        s.DialNumber.assign(
            sjis::fromUnicode(calllog::normalizeNumber(textOf(s.DialNumber.bytes()))));
        emit dialling(textOf(s.DialNumber.bytes()));
        s.DialNumber.assign(sjis::fromUnicode(calllog::lookupDigits(textOf(s.DialNumber.bytes()))));
        port.writeText(hg::DialCommand(s.DialLine, s.DialNumber.bytes()));
        readyToDial_ = false;
        showStartButton(StartButton::HangUp);
        emit dialSent();
        continuousWaitTimer_.setInterval(0);
        if (redialIndex_ == 0) {
            s.RedialList[static_cast<size_t>(s.RedialCount)].assign(s.DialNumber.bytes());
            ++s.RedialCount;
            if (s.RedialCount > ProgramState::RedialSlots - 1) {
                s.RedialCount = 0;
            }
        }
    } else {
        port.writeText(hg::HangUpCommand(s.DialLine));
        readyToDial_ = true;
        emit hungUp();
        if (s.ContinuousDial) {
            showStartButton(StartButton::AttemptFailed, redialIndex_);
            waitTicks_ = 0;
            continuousWaitTimer_.setInterval(WaitTickMs);
            readyToDial_ = false;
        } else {
            showStartButton(StartButton::Dial);
        }
    }
    emit keysEnabled(readyToDial_);
    if (redialIndex_ > MaxAttempt - 1) {
        s.ContinuousDial = false;
        redialIndex_ = 0;
        continuousWaitTimer_.setInterval(0);
    }
}

void DialExchange::start(const QString& typed) {
    ProgramState& s = state_;
    prologueTimer_.setInterval(0);
    if (redialIndex_ > 0 && startButton_ != StartButton::Continuous) {
        s.ContinuousDial = false;
        waitTicks_ = 0;
        emit keysEnabled(true);
        dialOrHangUp(0);
    }
    received_.restart();
    s.DialNumber.assign(sjis::fromUnicode(typed));
    if (!typed.isEmpty()) {
        dialOrHangUp(readyToDial_ ? 1 : 0);
    } else if (!readyToDial_) {
        // A dial sent without digits leaves the field empty; the button still hangs it up.
        dialOrHangUp(0);
    }
}

void DialExchange::hangUp() {
    dialOrHangUp(0);
}

std::optional<QString> DialExchange::nextRedialNumber() {
    const ProgramState& s = state_;
    if (s.RedialList[0].empty()) {
        return std::nullopt;
    }
    const QString number = textOf(s.RedialList.at(static_cast<size_t>(redialIndex_)).bytes());
    --redialIndex_;
    if (redialIndex_ < 0) {
        for (int slot = ProgramState::RedialSlots - 1; slot >= 0; --slot) {
            if (!s.RedialList[static_cast<size_t>(slot)].empty()) {
                redialIndex_ = slot;
                break;
            }
        }
    }
    return number;
}

void DialExchange::useNormalMode() {
    state_.ContinuousDial = false;
    showStartButton(StartButton::Dial);
}

void DialExchange::useContinuousMode() {
    waitTicks_ = 0;
    redialIndex_ = 1;
    state_.ContinuousDial = true;
    showStartButton(StartButton::Continuous);
}

void DialExchange::endContinuousRun() {
    state_.ContinuousDial = false;
}

void DialExchange::endRun() {
    redialIndex_ = 0;
    state_.ContinuousDial = false;
    waitTicks_ = 0;
    emit keysEnabled(true);
}

void DialExchange::close() {
    continuousWaitTimer_.setInterval(0);
    state_.DialNumber.clear();
    link_.serialPort.close();
    replyCheckTimer_.setInterval(0);
    state_.DialInProgress = false;
    showStartButton(StartButton::Dial);
}

void DialExchange::pauseReplyCheck() {
    replyCheckTimer_.setInterval(0);
}

void DialExchange::bytesArrived() {
    if (state_.DialInProgress) {
        replyCheckTimer_.setInterval(ReplyCheckDelay);
    }
}

void DialExchange::continuousWaitTick() {
    ++waitTicks_;
    if (state_.ContinuousDial) {
        showStartButton(StartButton::Waiting, WaitTicksPerAttempt - waitTicks_);
    }
    if (waitTicks_ >= WaitTicksPerAttempt) {
        ++redialIndex_;
        waitTicks_ = 0;
        emit keysEnabled(true);
        dialOrHangUp(1);
    }
}

void DialExchange::checkReply() {
    ProgramState& s = state_;
    replyCheckTimer_.setInterval(0);
    emit checkingReply();
    const dial::DialReply reply = dial::MatchDialReply(
        received_.bytes().data(), received_.bytes().size(), received_.count(), s.DialLine);
    if (reply.action == dial::ReplyAction::None) {
        return;
    }
    emit answered(reply.panelText);
    received_.restart();
    if (reply.action == dial::ReplyAction::Connected) {
        emit connected();
        // The adapter's log now holds this call: the next look at the call log downloads.
        s.logImage.markStale();
        return;
    }
    dialOrHangUp(0);
}

void DialExchange::showStartButton(StartButton shows, int count) {
    startButton_ = shows;
    emit startButtonChanged(shows, count);
}

}  // namespace adapter
