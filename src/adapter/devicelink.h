#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "adapter/chargesexchange.h"
#include "adapter/dialexchange.h"
#include "adapter/logclear.h"
#include "adapter/logdownload.h"
#include "adapter/optionsupload.h"
#include "adapter/receivebuffer.h"
#include "link/serialport.h"
#include "state/programstate.h"
#include "ui/intervaltimer.h"
#include "ui/wallclock.h"

namespace adapter {

// Owner of the serial port and of every exchange with the adapter. The exchanges share the port,
// its delayed close and the TEL 2 log-mode command that follows TEL 1's; windows only start them
// and show what they report.
class DeviceLink : public QObject {
    Q_OBJECT
    // First, so that the exchanges built after it can keep a reference.
    ReceiveBuffer received_;

public:
    DeviceLink(appstate::ProgramState& state, ui::TimerBackend& timers,
               const ui::WallClock& wallClock, comm::SerialDeviceFactory& devices);

    // Opens the port of ComPort; false when it cannot be used.
    [[nodiscard]] bool openPort();
    // Closes the port; a port that has gone away has nothing left to report.
    void closePort();
    // Closes the port ms milliseconds from now; a call with the delay already set changes
    // nothing, another delay starts the count again.
    void closePortLater(int ms);
    // Sends the TEL 2 log mode ms milliseconds from now, after TEL 1's has been taken in.
    void sendTel2LogModeLater(int ms);
    // Appends the waiting bytes to the receive buffer and re-arms the dial's reply check.
    void receiveBytes(comm::SerialPort& sender, uint16_t size);
    // What the adapter sent for the running exchange.
    const ReceiveBuffer& received() const { return received_; }

    const ui::IntervalTimer& portCloseTimer() const { return portCloseTimer_; }
    const ui::IntervalTimer& tel2LogModeTimer() const { return tel2LogModeTimer_; }

    comm::SerialPort serialPort;
    LogDownload download;
    ChargesExchange charges;
    OptionsUpload options;
    LogClear logClear;
    DialExchange dial;

signals:
    // An error inside the port's own handler, with its text.
    void handlerError(const QString& message);

private:
    void sendTel2LogMode();
    void closeDelayedPort();

    appstate::ProgramState& state_;
    ui::IntervalTimer portCloseTimer_;
    ui::IntervalTimer tel2LogModeTimer_;
};

}  // namespace adapter
