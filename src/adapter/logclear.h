#pragma once

#include "state/programstate.h"

namespace adapter {

class DeviceLink;
class ReceiveBuffer;

// Clears the call log the adapter holds.
class LogClear {
public:
    LogClear(DeviceLink& link, appstate::ProgramState& state, ReceiveBuffer& received);

    // Sends the clear command and, once it is out, empties the held image. A port that cannot
    // be used or a command that cannot be written throws, and nothing changes.
    void clear();

private:
    DeviceLink& link_;
    appstate::ProgramState& state_;
    ReceiveBuffer& received_;
};

}  // namespace adapter
