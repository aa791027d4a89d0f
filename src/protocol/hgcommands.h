#pragma once

#include <QByteArray>
#include <cstdint>

// The adapter's commands, each the exact text to send, carriage return included.
namespace protocol::hg {

// The log mode of TEL 1 or TEL 2, in the form the adapter model (0 or 1) takes.
QByteArray logModeTel1Command(int32_t adapterModel, int32_t logMode);
QByteArray logModeTel2Command(int32_t adapterModel, int32_t logMode);
QByteArray logIdentifyCommand();
QByteArray clockRequestCommand();
QByteArray logRequestCommand(int32_t passwordCode);
QByteArray logClearCommand();
QByteArray passwordSetCommand(int32_t newPasswordCode);
QByteArray chargeResetTel1Command();
QByteArray chargeResetTel2Command();
QByteArray chargeResetDigitalCommand();
QByteArray chargeReportCommand();
QByteArray echoOffCommand();
QByteArray identifyCommand();
QByteArray dialCommand(int32_t dialLine, const QByteArray& number);
QByteArray hangUpCommand(int32_t dialLine);

}  // namespace protocol::hg
