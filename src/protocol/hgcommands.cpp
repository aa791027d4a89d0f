#include "protocol/hgcommands.h"

namespace protocol::hg {

namespace {
QByteArray number(int32_t value) {
    return QByteArray::number(value);
}
}  // namespace

QByteArray logModeTel1Command(int32_t adapterModel, int32_t logMode) {
    return (adapterModel == 0 ? QByteArrayLiteral("AT\\T1/9*0") : QByteArrayLiteral("AT\\T1/1*4")) +
           number(logMode) + '\r';
}

QByteArray logModeTel2Command(int32_t adapterModel, int32_t logMode) {
    return (adapterModel == 0 ? QByteArrayLiteral("ATE0\\T2/9*0")
                              : QByteArrayLiteral("ATE0\\T2/1*4")) +
           number(logMode) + '\r';
}

QByteArray logIdentifyCommand() {
    return QByteArrayLiteral("ATI\\I\r");
}

QByteArray clockRequestCommand() {
    return QByteArrayLiteral("AT\\L2G53\r");
}

QByteArray logRequestCommand(int32_t passwordCode) {
    return QByteArrayLiteral("AT\\L1") + number(passwordCode) + '\r';
}

QByteArray logClearCommand() {
    return QByteArrayLiteral("AT\\L3\r");
}

QByteArray passwordSetCommand(int32_t newPasswordCode) {
    return QByteArrayLiteral("ATG53=") + number(newPasswordCode) + QByteArrayLiteral("\\L3\r");
}

QByteArray chargeResetTel1Command() {
    return QByteArrayLiteral("ATN6=0\r");
}

QByteArray chargeResetTel2Command() {
    return QByteArrayLiteral("ATN7=0\r");
}

QByteArray chargeResetDigitalCommand() {
    return QByteArrayLiteral("ATN5=0\r");
}

QByteArray chargeReportCommand() {
    return QByteArrayLiteral("ATE0N\r");
}

QByteArray echoOffCommand() {
    return QByteArrayLiteral("ATE0\r");
}

QByteArray identifyCommand() {
    return QByteArrayLiteral("ATI\r");
}

QByteArray dialCommand(int32_t dialLine, const QByteArray& dialNumber) {
    return QByteArrayLiteral("AT\\D") + number(dialLine) + '/' + dialNumber + '\r';
}

QByteArray hangUpCommand(int32_t dialLine) {
    return QByteArrayLiteral("AT\\D") + number(dialLine) + '\r';
}

}  // namespace protocol::hg
