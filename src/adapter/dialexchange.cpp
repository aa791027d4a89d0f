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
    return ui::sjis::toUnicode(bytes);
}

}  // namespace

DialExchange::DialExchange(DeviceLink& link, appstate::ProgramState& state, ReceiveBuffer& received,
                           ui::TimerBackend& timers)
    : link_(link),
      state_(state),
      received_(received),
      prologueTimer_(timers),
      replyCheckTimer_(timers),
      continuousWaitTimer_(timers) {
    prologueTimer_.onElapsed = [this] { prologueStep(); };
    replyCheckTimer_.onElapsed = [this] { checkReply(); };
    continuousWaitTimer_.onElapsed = [this] { continuousWaitTick(); };
}

void DialExchange::openFromMenu() {
    state_.dialNumber.clear();
    startPrologue(0, MenuPrologueDelay);
}

void DialExchange::prepare(uint8_t dialNow, const QString& number) {
    received_.restart();
    state_.dialNumber.assign(ui::sjis::fromUnicode(number));
    startPrologue(dialNow, DialPrologueDelay);
}

void DialExchange::startPrologue(uint8_t dialNow, int delayMs) {
    prologueStep_ = 0;
    dialOnOpen_ = dialNow == 1;
    prologueTimer_.setInterval(delayMs);
}

void DialExchange::prologueStep() {
    appstate::ProgramState& s = state_;
    comm::SerialPort& port = link_.serialPort_;
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
                port.setPort(static_cast<uint8_t>(s.settings.comPort));
                port.open();
                port.writeText(protocol::hg::echoOffCommand());
                prologueStep_ = 1;
                break;
            case 1:
                received_.restart();
                prologueStep_ = 2;
                port.writeText(protocol::hg::identifyCommand());
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
        s.dialInProgress = false;
        emit portUnavailable();
    }
}

void DialExchange::dialOrHangUp(uint8_t dial) {
    appstate::ProgramState& s = state_;
    comm::SerialPort& port = link_.serialPort_;
    emit countingStopped();
    continuousWaitTimer_.setInterval(0);
    s.dialInProgress = true;
    port.setPort(static_cast<uint8_t>(s.settings.comPort));
    emit padShown();
    if (!s.continuousDial) {
        redialIndex_ = 0;
    }
    // An empty number opens the pad without a word to the adapter; but a dial that went out
    // with no digits is still an attempt under way, and hanging it up must not be skipped.
    if (s.dialNumber.empty() && readyToDial_) {
        return;
    }
    if (dial == 1) {
        s.dialNumber.assign(
            ui::sjis::fromUnicode(rules::normalizeNumber(textOf(s.dialNumber.bytes()))));
        emit dialling(textOf(s.dialNumber.bytes()));
        s.dialNumber.assign(
            ui::sjis::fromUnicode(rules::lookupDigits(textOf(s.dialNumber.bytes()))));
        port.writeText(protocol::hg::dialCommand(s.settings.dialLine, s.dialNumber.bytes()));
        readyToDial_ = false;
        showStartButton(StartButton::HangUp);
        emit dialSent();
        continuousWaitTimer_.setInterval(0);
        if (redialIndex_ == 0) {
            s.redialList[static_cast<size_t>(s.redialCount)].assign(s.dialNumber.bytes());
            ++s.redialCount;
            if (s.redialCount > appstate::ProgramState::RedialSlots - 1) {
                s.redialCount = 0;
            }
        }
    } else {
        port.writeText(protocol::hg::hangUpCommand(s.settings.dialLine));
        readyToDial_ = true;
        emit hungUp();
        if (s.continuousDial) {
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
        s.continuousDial = false;
        redialIndex_ = 0;
        continuousWaitTimer_.setInterval(0);
    }
}

void DialExchange::start(const QString& typed) {
    appstate::ProgramState& s = state_;
    prologueTimer_.setInterval(0);
    if (redialIndex_ > 0 && startButton_ != StartButton::Continuous) {
        s.continuousDial = false;
        waitTicks_ = 0;
        emit keysEnabled(true);
        dialOrHangUp(0);
    }
    received_.restart();
    s.dialNumber.assign(ui::sjis::fromUnicode(typed));
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
    const appstate::ProgramState& s = state_;
    if (s.redialList[0].empty()) {
        return std::nullopt;
    }
    const QString number = textOf(s.redialList.at(static_cast<size_t>(redialIndex_)).bytes());
    --redialIndex_;
    if (redialIndex_ < 0) {
        for (int slot = appstate::ProgramState::RedialSlots - 1; slot >= 0; --slot) {
            if (!s.redialList[static_cast<size_t>(slot)].empty()) {
                redialIndex_ = slot;
                break;
            }
        }
    }
    return number;
}

void DialExchange::useNormalMode() {
    state_.continuousDial = false;
    showStartButton(StartButton::Dial);
}

void DialExchange::useContinuousMode() {
    waitTicks_ = 0;
    redialIndex_ = 1;
    state_.continuousDial = true;
    showStartButton(StartButton::Continuous);
}

void DialExchange::endContinuousRun() {
    state_.continuousDial = false;
}

void DialExchange::endRun() {
    redialIndex_ = 0;
    state_.continuousDial = false;
    waitTicks_ = 0;
    emit keysEnabled(true);
}

void DialExchange::close() {
    continuousWaitTimer_.setInterval(0);
    state_.dialNumber.clear();
    link_.serialPort_.close();
    replyCheckTimer_.setInterval(0);
    state_.dialInProgress = false;
    showStartButton(StartButton::Dial);
}

void DialExchange::pauseReplyCheck() {
    replyCheckTimer_.setInterval(0);
}

void DialExchange::bytesArrived() {
    if (state_.dialInProgress) {
        replyCheckTimer_.setInterval(ReplyCheckDelay);
    }
}

void DialExchange::continuousWaitTick() {
    ++waitTicks_;
    if (state_.continuousDial) {
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
    appstate::ProgramState& s = state_;
    replyCheckTimer_.setInterval(0);
    emit checkingReply();
    const protocol::DialReply reply = protocol::matchDialReply(
        received_.bytes().data(), received_.bytes().size(), received_.count(), s.settings.dialLine);
    if (reply.action == protocol::ReplyAction::None) {
        return;
    }
    emit answered(reply.panelText);
    received_.restart();
    if (reply.action == protocol::ReplyAction::Connected) {
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
