#include "adapter/devicelink.h"

#include <exception>
#include <vector>

#include "protocol/hgcommands.h"

namespace adapter {

namespace {

constexpr int BaudRate = 19200;
constexpr int ReplyCheckDelay = 500;
constexpr int DialPrologueInterval = 700;

}  // namespace

DeviceLink::DeviceLink(ProgramState& state, ui::TimerBackend& timers,
                       const ui::WallClock& wallClock, comm::SerialDeviceFactory& devices)
    : serialPort(devices),
      download(*this, state, timers, wallClock),
      charges(*this, state, timers),
      options(*this, state),
      logClear(*this, state),
      dialPrologueTimer(timers),
      replyCheckTimer(timers),
      state_(state),
      portCloseTimer_(timers),
      tel2LogModeTimer_(timers) {
    serialPort.setBaudRate(BaudRate);
    serialPort.onReceive = [this](SerialPort& sender, uint16_t size) {
        receiveBytes(sender, size);
    };
    serialPort.onHandlerError = [this](const QString& message) { emit handlerError(message); };
    serialPort.onDeviceGone = [this] { download.lineGone(); };
    portCloseTimer_.OnTimer = [this] { closeDelayedPort(); };
    tel2LogModeTimer_.OnTimer = [this] { sendTel2LogMode(); };
    dialPrologueTimer.OnTimer = [this] { dialPrologueStep(); };
}

bool DeviceLink::openPort() {
    try {
        serialPort.open();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void DeviceLink::closePort() {
    try {
        serialPort.close();
    } catch (const std::exception&) {
        // Closing a port that has gone away has nothing left to report.
    }
}

void DeviceLink::closePortLater(int ms) {
    portCloseTimer_.setInterval(ms);
}

void DeviceLink::sendTel2LogModeLater(int ms) {
    tel2LogModeTimer_.setInterval(ms);
}

void DeviceLink::closeDelayedPort() {
    closePort();
    portCloseTimer_.setInterval(0);
}

void DeviceLink::sendTel2LogMode() {
    // Stopped before sending: a port closed in the meantime is reported once, not at every tick.
    tel2LogModeTimer_.setInterval(0);
    serialPort.writeText(hg::LogModeTel2Command(state_));
}

void DeviceLink::receiveBytes(SerialPort& sender, uint16_t size) {
    ProgramState& s = state_;
    replyCheckTimer.setInterval(0);
    std::vector<char> buffer(size + 1u, 0);
    sender.read(buffer.data(), size);
    for (uint16_t i = 0; i < size; ++i) {
        s.RxBuffer[static_cast<size_t>(s.RxIndex)] = static_cast<uint8_t>(buffer[i]);
        ++s.RxIndex;
        if (s.RxIndex > ProgramState::RxBufferSize - 1) {
            s.RxIndex = 0;
        }
    }
    if (s.DialInProgress == 1) {
        replyCheckTimer.setInterval(ReplyCheckDelay);
    }
}

void DeviceLink::dialPrologueStep() {
    ProgramState& s = state_;
    dialPrologueTimer.setInterval(DialPrologueInterval);
    try {
        if (s.adapterIdentified == 1) {
            dialPrologueTimer.setInterval(0);
            serialPort.open();
            s.exchangeStep = 0;
            emit dialPrologueDone(s.dialOnOpen);
            return;
        }
        switch (s.exchangeStep) {
            case 0:
                serialPort.setPort(static_cast<uint8_t>(s.ComPort));
                serialPort.open();
                serialPort.writeText(hg::EchoOffCommand());
                s.exchangeStep = 1;
                break;
            case 1:
                s.RxIndex = 0;
                s.exchangeStep = 2;
                serialPort.writeText(hg::IdentifyCommand());
                break;
            default:
                dialPrologueTimer.setInterval(0);
                s.adapterIdentified = 1;
                s.exchangeStep = 0;
                emit dialPrologueDone(s.dialOnOpen);
                break;
        }
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, and no pad without its port.
        dialPrologueTimer.setInterval(0);
        serialPort.close();
        s.DialInProgress = 0;
        emit dialPortUnavailable();
    }
}

}  // namespace adapter
