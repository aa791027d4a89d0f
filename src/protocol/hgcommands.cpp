#include "protocol/hgcommands.h"

namespace hg {

namespace {
QByteArray number(int32_t value) {
    return QByteArray::number(value);
}
}  // namespace

QByteArray LogModeTel1Command(int32_t adapterModel, int32_t logMode) {
    return (adapterModel == 0 ? QByteArrayLiteral("AT\\T1/9*0") : QByteArrayLiteral("AT\\T1/1*4")) +
           number(logMode) + '\r';
}

QByteArray LogModeTel2Command(int32_t adapterModel, int32_t logMode) {
    return (adapterModel == 0 ? QByteArrayLiteral("ATE0\\T2/9*0")
                              : QByteArrayLiteral("ATE0\\T2/1*4")) +
           number(logMode) + '\r';
}

QByteArray LogIdentifyCommand() {
    return QByteArrayLiteral("ATI\\I\r");
}

QByteArray ClockRequestCommand() {
    return QByteArrayLiteral("AT\\L2G53\r");
}

QByteArray LogRequestCommand(int32_t passwordCode) {
    return QByteArrayLiteral("AT\\L1") + number(passwordCode) + '\r';
}

QByteArray LogClearCommand() {
    return QByteArrayLiteral("AT\\L3\r");
}

QByteArray PasswordSetCommand(int32_t newPasswordCode) {
    return QByteArrayLiteral("ATG53=") + number(newPasswordCode) + QByteArrayLiteral("\\L3\r");
}

QByteArray ChargeResetTel1Command() {
    return QByteArrayLiteral("ATN6=0\r");
}

QByteArray ChargeResetTel2Command() {
    return QByteArrayLiteral("ATN7=0\r");
}

QByteArray ChargeResetDigitalCommand() {
    return QByteArrayLiteral("ATN5=0\r");
}

QByteArray ChargeReportCommand() {
    return QByteArrayLiteral("ATE0N\r");
}

QByteArray EchoOffCommand() {
    return QByteArrayLiteral("ATE0\r");
}

QByteArray IdentifyCommand() {
    return QByteArrayLiteral("ATI\r");
}

QByteArray DialCommand(int32_t dialLine, const QByteArray& dialNumber) {
    return QByteArrayLiteral("AT\\D") + number(dialLine) + '/' + dialNumber + '\r';
}

QByteArray HangUpCommand(int32_t dialLine) {
    return QByteArrayLiteral("AT\\D") + number(dialLine) + '\r';
}

}  // namespace hg
