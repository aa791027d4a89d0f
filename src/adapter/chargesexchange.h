#pragma once

#include <QObject>

#include "protocol/chargereply.h"
#include "state/programstate.h"
#include "ui/intervaltimer.h"

namespace adapter {

class DeviceLink;
class ReceiveBuffer;

// Reads the adapter's charge counters and resets one of them.
class ChargesExchange : public QObject {
    Q_OBJECT
public:
    enum class Counter { Tel1, Tel2, Digital };

    ChargesExchange(DeviceLink& link, appstate::ProgramState& state, ReceiveBuffer& received,
                    ui::TimerBackend& timers);

    // Asks for the counters; the reply is read half a second later.
    void request();
    // Resets one counter; false, with portUnavailable reported, when the port cannot be used.
    // A command that cannot be written throws.
    bool reset(Counter counter);

    const ui::IntervalTimer& replyTimer() const { return replyTimer_; }

signals:
    void chargesRead(const protocol::ChargeAmounts& amounts);
    void counterReset(adapter::ChargesExchange::Counter counter);
    void portUnavailable();

private:
    void readReply();

    DeviceLink& link_;
    appstate::ProgramState& state_;
    ReceiveBuffer& received_;
    ui::IntervalTimer replyTimer_;
};

}  // namespace adapter
