#include "adapter/chargesexchange.h"

#include <exception>

#include "adapter/devicelink.h"
#include "protocol/hgcommands.h"

namespace adapter {

namespace {

constexpr int ReplyDelay = 500;
constexpr int PortCloseDelay = 500;

QByteArray resetCommandOf(ChargesExchange::Counter counter) {
    switch (counter) {
        case ChargesExchange::Counter::Tel1:
            return hg::ChargeResetTel1Command();
        case ChargesExchange::Counter::Tel2:
            return hg::ChargeResetTel2Command();
        case ChargesExchange::Counter::Digital:
            break;
    }
    return hg::ChargeResetDigitalCommand();
}

}  // namespace

ChargesExchange::ChargesExchange(DeviceLink& link, ProgramState& state, ReceiveBuffer& received,
                                 ui::TimerBackend& timers)
    : link_(link), state_(state), received_(received), replyTimer_(timers) {
    replyTimer_.OnTimer = [this] { readReply(); };
}

void ChargesExchange::request() {
    SerialPort& port = link_.serialPort;
    port.setPort(static_cast<uint8_t>(state_.ComPort));
    try {
        port.open();
        received_.restart();
        port.writeText(hg::ChargeReportCommand());
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, or the next exchange would reuse it.
        port.close();
        emit portUnavailable();
        return;
    }
    replyTimer_.setInterval(ReplyDelay);
}

void ChargesExchange::readReply() {
    replyTimer_.setInterval(0);
    const settings::ChargeAmounts amounts =
        settings::ParseChargeReply(received_.bytes().data(), received_.bytes().size());
    link_.closePortLater(PortCloseDelay);
    emit chargesRead(amounts);
}

bool ChargesExchange::reset(Counter counter) {
    if (!link_.openPort()) {
        emit portUnavailable();
        return false;
    }
    link_.serialPort.writeText(resetCommandOf(counter));
    emit counterReset(counter);
    return true;
}

}  // namespace adapter
