#include "adapter/logdownload.h"

#include <algorithm>
#include <exception>

#include "adapter/devicelink.h"
#include "protocol/clockreply.h"
#include "protocol/hgcommands.h"
#include "protocol/secondsscale.h"

namespace adapter {

namespace {

// The download's pacing and the size of the image it takes.
constexpr int Tel2ModeDelay = 600;
constexpr int FirstStepDelay = 1800;
constexpr int StepInterval = 700;
constexpr int TransferTick = 700;
constexpr int ProgressStep = 20;
constexpr int ClockReplyBytes = 9;
constexpr int ImageArrivedBytes = 3078;
constexpr int LogImageBytes = 3086;
constexpr int PortCloseDelay = 1000;
constexpr int AbandonPortCloseDelay = 500;

}  // namespace

LogDownload::LogDownload(DeviceLink& link, appstate::ProgramState& state, ReceiveBuffer& received,
                         ui::TimerBackend& timers, const ui::WallClock& wallClock)
    : link_(link),
      state_(state),
      received_(received),
      wallClock_(wallClock),
      tickTimer_(timers),
      stepTimer_(timers) {
    tickTimer_.onElapsed = [this] { tick(); };
    stepTimer_.onElapsed = [this] { step(); };
}

void LogDownload::start() {
    appstate::ProgramState& s = state_;
    comm::SerialPort& port = link_.serialPort_;
    port.setPort(static_cast<uint8_t>(s.settings.comPort));
    try {
        // A close still pending from the last exchange would cut this one short.
        link_.closePortLater(0);
        port.open();
        port.writeText(
            protocol::hg::logModeTel1Command(s.settings.adapterModel, s.settings.logModeTel1));
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, or the next exchange would reuse it.
        port.close();
        emit portUnavailable();
        return;
    }
    inProgress_ = true;
    emit started();
    step_ = 0;
    loadProgress_ = 0;
    emit progress(0);
    tickTimer_.setInterval(0);
    link_.sendTel2LogModeLater(Tel2ModeDelay);
    stepTimer_.setInterval(FirstStepDelay);
}

void LogDownload::step() {
    appstate::ProgramState& s = state_;
    switch (step_) {
        case 0:
            emit progress(10);
            received_.restart();
            loadProgress_ = 0;
            step_ = 1;
            if (send(protocol::hg::logIdentifyCommand())) {
                stepTimer_.setInterval(StepInterval);
            }
            break;
        case 1:
            emit progress(20);
            s.settings.passwordCode = 0;
            s.adapterIdentified = true;
            received_.restart();
            loadProgress_ = 0;
            step_ = 2;
            // What an earlier exchange left there must not pass for the adapter's clock.
            received_.zeroFront(ClockReplyBytes);
            send(protocol::hg::clockRequestCommand());
            break;
        default:
            emit progress(30);
            stepTimer_.setInterval(0);
            if (received_.count() < ClockReplyBytes) {
                fail();
                return;
            }
            s.pcClockSeconds = protocol::pcClockSeconds(wallClock_);
            s.hgClockSeconds = protocol::hgClockSecondsOf(received_.bytes());
            // The difference wraps as 32-bit arithmetic does.
            s.clockDifference = static_cast<int32_t>(static_cast<uint32_t>(s.pcClockSeconds) -
                                                     static_cast<uint32_t>(s.hgClockSeconds));
            s.settings.passwordCode = protocol::passwordCodeOf(received_.bytes());
            if (s.settings.passwordCode != s.enteredPasswordCode && s.settings.passwordCode != 0) {
                emit progress(0);
                emit passwordNeeded();
            } else {
                requestLogImage();
            }
            break;
    }
}

void LogDownload::continueWithPassword() {
    emit progress(10);
    stepTimer_.setInterval(0);
    // Last, because a request that cannot be sent ends the download.
    requestLogImage();
}

void LogDownload::tick() {
    appstate::ProgramState& s = state_;
    loadProgress_ += ProgressStep;
    if (received_.count() >= ImageArrivedBytes && loadProgress_ < 100) {
        loadProgress_ = 100;
    }
    if (loadProgress_ <= 100) {
        emit progress(loadProgress_);
        return;
    }
    // Less than a whole image is a transfer that broke off, not a shorter log.
    if (received_.count() < ImageArrivedBytes) {
        fail();
        return;
    }
    emit progress(100);
    tickTimer_.setInterval(0);
    inProgress_ = false;
    s.logImage.hold(received_.bytes().first<LogImageBytes>());
    emit imageReady();
    link_.closePortLater(PortCloseDelay);
}

void LogDownload::requestLogImage() {
    appstate::ProgramState& s = state_;
    received_.restart();
    // The image is only what arrives for this request, never the rest of an earlier one.
    received_.zeroFront(LogImageBytes);
    if (!send(protocol::hg::logRequestCommand(s.settings.passwordCode))) {
        return;
    }
    loadProgress_ = 20;
    tickTimer_.setInterval(TransferTick);
}

bool LogDownload::send(const QByteArray& command) {
    try {
        link_.serialPort_.writeText(command);
        return true;
    } catch (const std::exception&) {
        fail();
        return false;
    }
}

void LogDownload::stop() {
    tickTimer_.setInterval(0);
    stepTimer_.setInterval(0);
    inProgress_ = false;
}

void LogDownload::fail() {
    stop();
    link_.sendTel2LogModeLater(0);
    link_.closePortLater(0);
    link_.closePort();
    emit failed();
}

void LogDownload::lineGone() {
    if (inProgress_) {
        fail();
    }
}

void LogDownload::abandon() {
    stop();
    state_.logImage.markStale();
    emit abandoned();
    link_.closePortLater(AbandonPortCloseDelay);
}

}  // namespace adapter
