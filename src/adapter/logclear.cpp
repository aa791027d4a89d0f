#include "adapter/logclear.h"

#include "adapter/devicelink.h"
#include "protocol/hgcommands.h"

namespace adapter {

namespace {

constexpr int PortCloseDelay = 500;

}  // namespace

LogClear::LogClear(DeviceLink& link, appstate::ProgramState& state, ReceiveBuffer& received)
    : link_(link), state_(state), received_(received) {}

void LogClear::clear() {
    comm::SerialPort& port = link_.serialPort_;
    received_.restart();
    port.open();
    try {
        port.writeText(protocol::hg::logClearCommand());
    } catch (...) {
        port.close();
        throw;
    }
    link_.closePortLater(PortCloseDelay);
    state_.logImage.markEmpty();
}

}  // namespace adapter
