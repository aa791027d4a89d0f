#include "adapter/optionsupload.h"

#include "adapter/devicelink.h"
#include "protocol/hgcommands.h"

namespace adapter {

namespace {

constexpr int Tel2ModeDelay = 700;
constexpr int SavePortCloseDelay = 1500;

}  // namespace

OptionsUpload::OptionsUpload(DeviceLink& link, appstate::ProgramState& state)
    : link_(link), state_(state) {}

void OptionsUpload::sendLogModes() {
    link_.serialPort.open();
    link_.serialPort.writeText(
        protocol::hg::logModeTel1Command(state_.adapterModel, state_.logModeTel1));
    link_.sendTel2LogModeLater(Tel2ModeDelay);
}

void OptionsUpload::changePassword() {
    link_.serialPort.writeText(protocol::hg::passwordSetCommand(state_.newPasswordCode));
    state_.passwordCode = state_.newPasswordCode;
    state_.logImage.markStale();
}

void OptionsUpload::closePortAfterSave() {
    link_.closePortLater(SavePortCloseDelay);
}

}  // namespace adapter
