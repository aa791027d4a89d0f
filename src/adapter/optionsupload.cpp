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
    link_.serialPort_.open();
    link_.serialPort_.writeText(protocol::hg::logModeTel1Command(state_.settings.adapterModel,
                                                                 state_.settings.logModeTel1));
    link_.sendTel2LogModeLater(Tel2ModeDelay);
}

void OptionsUpload::changePassword() {
    link_.serialPort_.writeText(protocol::hg::passwordSetCommand(state_.newPasswordCode));
    state_.settings.passwordCode = state_.newPasswordCode;
    state_.logImage.markStale();
}

void OptionsUpload::closePortAfterSave() {
    link_.closePortLater(SavePortCloseDelay);
}

}  // namespace adapter
