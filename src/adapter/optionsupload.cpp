#include "adapter/optionsupload.h"

#include "adapter/devicelink.h"
#include "protocol/hgcommands.h"

namespace adapter {

namespace {

constexpr int Tel2ModeDelay = 700;
constexpr int SavePortCloseDelay = 1500;

}  // namespace

OptionsUpload::OptionsUpload(DeviceLink& link, ProgramState& state) : link_(link), state_(state) {}

void OptionsUpload::sendLogModes() {
    link_.serialPort.open();
    link_.serialPort.writeText(hg::LogModeTel1Command(state_.adapterModel, state_.LogModeTel1));
    link_.sendTel2LogModeLater(Tel2ModeDelay);
}

void OptionsUpload::changePassword() {
    link_.serialPort.writeText(hg::PasswordSetCommand(state_.NewPasswordCode));
    state_.PasswordCode = state_.NewPasswordCode;
    state_.logImage.markStale();
}

void OptionsUpload::closePortAfterSave() {
    link_.closePortLater(SavePortCloseDelay);
}

}  // namespace adapter
