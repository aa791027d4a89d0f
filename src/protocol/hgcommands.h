#pragma once

#include <QByteArray>
#include <cstdint>

struct ProgramState;

// The adapter's commands, each the exact text to send, carriage return included.
namespace hg {

QByteArray LogModeTel1Command(const ProgramState& state);
QByteArray LogModeTel2Command(const ProgramState& state);
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
