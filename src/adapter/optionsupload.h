#pragma once

#include "state/programstate.h"

namespace adapter {

class DeviceLink;

// Sends the options to the adapter: the two log modes, and a new password code.
class OptionsUpload {
public:
    OptionsUpload(DeviceLink& link, appstate::ProgramState& state);

    // Opens the port and sends TEL 1's log mode; TEL 2's follows. Throws when the port cannot
    // be used or the command cannot be written.
    void sendLogModes();
    // Gives the adapter NewPasswordCode on the port the save opened; only once it is out does
    // the code take effect here, and the log, which the adapter clears with it, must be read
    // again. Throws when the command cannot be written.
    void changePassword();
    // The port of a save closes this long after it.
    void closePortAfterSave();

private:
    DeviceLink& link_;
    appstate::ProgramState& state_;
};

}  // namespace adapter
