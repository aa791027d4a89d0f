#include "adapter/devicelink.h"

#include <exception>
#include <vector>

#include "protocol/hgcommands.h"

namespace adapter {

DeviceLink::DeviceLink(appstate::ProgramState& state, ui::TimerBackend& timers,
                       const ui::WallClock& wallClock, comm::SerialDeviceFactory& devices)
    : state_(state),
      serialPort_(devices),
      download_(*this, state, received_, timers, wallClock),
      charges_(*this, state, received_, timers),
      options_(*this, state),
      logClear_(*this, state, received_),
      dial_(*this, state, received_, timers),
      portCloseTimer_(timers),
      tel2LogModeTimer_(timers) {
    serialPort_.onReceive = [this](comm::SerialPort& sender, uint16_t size) {
        receiveBytes(sender, size);
    };
    serialPort_.onHandlerError = [this](const QString& message) { emit handlerError(message); };
    serialPort_.onDeviceGone = [this] { download_.lineGone(); };
    portCloseTimer_.onElapsed = [this] { closeDelayedPort(); };
    tel2LogModeTimer_.onElapsed = [this] { sendTel2LogMode(); };
}

void DeviceLink::usePort(int comPort) {
    serialPort_.setPort(static_cast<uint8_t>(comPort));
}

bool DeviceLink::openPort() {
    try {
        serialPort_.open();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void DeviceLink::closePort() {
    try {
        serialPort_.close();
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
    serialPort_.writeText(protocol::hg::logModeTel2Command(state_.settings.adapterModel,
                                                           state_.settings.logModeTel2));
}

void DeviceLink::receiveBytes(comm::SerialPort& sender, uint16_t size) {
    dial_.pauseReplyCheck();
    std::vector<uint8_t> buffer(size + 1u, 0);
    sender.read(reinterpret_cast<char*>(buffer.data()), size);
    received_.append(std::span(buffer).first(size));
    dial_.bytesArrived();
}

}  // namespace adapter
