#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

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

    // The port COM<comPort> the next exchange opens.
    void usePort(int comPort);
    // After a failed open: the system refused the user access to the device.
    bool portOpenDenied() const { return serialPort_.openDenied(); }
    bool portOpen() const { return serialPort_.isOpen(); }
    int portNumber() const { return serialPort_.port(); }
    // Opens the port; false when it cannot be used.
    [[nodiscard]] bool openPort();
    // Closes the port; a port that has gone away has nothing left to report.
    void closePort();
    // Sends text on the open port, outside any exchange.
    void send(const QByteArray& text) { serialPort_.writeText(text); }

    // The log download; it reports through download().
    void startDownload() { download_.start(); }
    void continueDownloadWithPassword() { download_.continueWithPassword(); }
    void abandonDownload() { download_.abandon(); }
    // Reading and resetting the line charges; they report through charges().
    void readCharges() { charges_.request(); }
    bool resetCharge(ChargesExchange::Counter counter) { return charges_.reset(counter); }
    // The options upload.
    void sendLogModes() { options_.sendLogModes(); }
    void changePassword() { options_.changePassword(); }
    void closePortAfterSave() { options_.closePortAfterSave(); }
    // Empties the adapter's log memory.
    void clearAdapterLog() { logClear_.clear(); }

    // The dial, driven by the dial pad; it reports through dial().
    void openDialPadFromMenu() { dial_.openFromMenu(); }
    void prepareDial(uint8_t dialNow, const QString& number) { dial_.prepare(dialNow, number); }
    void startDial(const QString& typed) { dial_.start(typed); }
    void hangUp() { dial_.hangUp(); }
    std::optional<QString> nextRedialNumber() { return dial_.nextRedialNumber(); }
    void useNormalDialMode() { dial_.useNormalMode(); }
    void useContinuousDialMode() { dial_.useContinuousMode(); }
    void endContinuousDialRun() { dial_.endContinuousRun(); }
    void endDialRun() { dial_.endRun(); }
    void closeDial() { dial_.close(); }

    // What the exchanges report, for whoever shows it.
    const LogDownload& download() const { return download_; }
    const ChargesExchange& charges() const { return charges_; }
    const DialExchange& dial() const { return dial_; }
    // What the adapter sent for the running exchange.
    const ReceiveBuffer& received() const { return received_; }
    const ui::IntervalTimer& portCloseTimer() const { return portCloseTimer_; }
    const ui::IntervalTimer& tel2LogModeTimer() const { return tel2LogModeTimer_; }

    // Closes the port ms milliseconds from now; a call with the delay already set changes
    // nothing, another delay starts the count again.
    void closePortLater(int ms);

signals:
    // An error inside the port's own handler, with its text.
    void handlerError(const QString& message);

private:
    // The exchanges share the port and its timers.
    friend class LogDownload;
    friend class ChargesExchange;
    friend class OptionsUpload;
    friend class LogClear;
    friend class DialExchange;

    // Sends the TEL 2 log mode ms milliseconds from now, after TEL 1's has been taken in.
    void sendTel2LogModeLater(int ms);
    // Appends the waiting bytes to the receive buffer and re-arms the dial's reply check.
    void receiveBytes(comm::SerialPort& sender, uint16_t size);
    void sendTel2LogMode();
    void closeDelayedPort();

    appstate::ProgramState& state_;
    comm::SerialPort serialPort_;
    LogDownload download_;
    ChargesExchange charges_;
    OptionsUpload options_;
    LogClear logClear_;
    DialExchange dial_;
    ui::IntervalTimer portCloseTimer_;
    ui::IntervalTimer tel2LogModeTimer_;
};

}  // namespace adapter
