#pragma once

#include <QByteArray>
#include <cstdint>

// The adapter's commands, each the exact text to send, carriage return included.
namespace hg {

// The log mode of TEL 1 or TEL 2, in the form the adapter model (0 or 1) takes.
QByteArray LogModeTel1Command(int32_t adapterModel, int32_t logMode);
QByteArray LogModeTel2Command(int32_t adapterModel, int32_t logMode);
QByteArray LogIdentifyCommand();
QByteArray ClockRequestCommand();
QByteArray LogRequestCommand(int32_t passwordCode);
QByteArray LogClearCommand();
QByteArray PasswordSetCommand(int32_t newPasswordCode);
QByteArray ChargeResetTel1Command();
QByteArray ChargeResetTel2Command();
QByteArray ChargeResetDigitalCommand();
QByteArray ChargeReportCommand();
QByteArray EchoOffCommand();
QByteArray IdentifyCommand();
QByteArray DialCommand(int32_t dialLine, const QByteArray& number);
QByteArray HangUpCommand(int32_t dialLine);

}  // namespace hg
