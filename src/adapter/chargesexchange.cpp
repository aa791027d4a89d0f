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
            return protocol::hg::chargeResetTel1Command();
        case ChargesExchange::Counter::Tel2:
            return protocol::hg::chargeResetTel2Command();
        case ChargesExchange::Counter::Digital:
            break;
    }
    return protocol::hg::chargeResetDigitalCommand();
}

}  // namespace

ChargesExchange::ChargesExchange(DeviceLink& link, appstate::ProgramState& state,
                                 ReceiveBuffer& received, ui::TimerBackend& timers)
    : link_(link), state_(state), received_(received), replyTimer_(timers) {
    replyTimer_.onElapsed = [this] { readReply(); };
}

void ChargesExchange::request() {
    comm::SerialPort& port = link_.serialPort_;
    port.setPort(static_cast<uint8_t>(state_.settings.comPort));
    try {
        port.open();
        received_.restart();
        port.writeText(protocol::hg::chargeReportCommand());
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
    const protocol::ChargeAmounts amounts =
        protocol::parseChargeReply(received_.bytes().data(), received_.bytes().size());
    link_.closePortLater(PortCloseDelay);
    emit chargesRead(amounts);
}

bool ChargesExchange::reset(Counter counter) {
    if (!link_.openPort()) {
        emit portUnavailable();
        return false;
    }
    link_.serialPort_.writeText(resetCommandOf(counter));
    emit counterReset(counter);
    return true;
}

}  // namespace adapter
