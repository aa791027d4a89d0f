#include "adapter/logclear.h"

#include "adapter/devicelink.h"
#include "protocol/hgcommands.h"

namespace adapter {

namespace {

constexpr int PortCloseDelay = 500;

}  // namespace

LogClear::LogClear(DeviceLink& link, ProgramState& state) : link_(link), state_(state) {}

void LogClear::clear() {
    SerialPort& port = link_.serialPort;
    state_.RxIndex = 0;
    port.open();
    try {
        port.writeText(hg::LogClearCommand());
    } catch (...) {
        port.close();
        throw;
    }
    link_.closePortLater(PortCloseDelay);
    state_.LogImage[0] = 0;
}

}  // namespace adapter
