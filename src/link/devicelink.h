#pragma once

#include <cstdint>

#include "app/windowbase.h"
#include "link/serialport.h"
#include "ui/intervaltimer.h"

// The never-shown device-link window: owner of the serial port and of the exchange timers.
class DeviceLink : public WindowBase {
    Q_OBJECT
public:
    explicit DeviceLink(Application& app);

    // Appends the waiting bytes to RxBuffer and paces the dial window's reply check.
    void receiveBytes(SerialPort& sender, uint16_t size);
    // Starts a log download: log modes, identification, clock and password code, then the log.
    // A download that fails brings back caller, or the menu when there is none.
    void startDownload(WindowBase* caller = nullptr);
    // Stops the download's step and transfer ticks; the port and the windows are the caller's.
    void stopDownload();
    // Requests the call log image and starts the transfer ticks of transferTickTimer.
    void requestLogImage();
    // Asks the adapter for its charge counters; chargesReplyTimer shows them 500 ms later.
    void requestCharges();

    SerialPort serialPort;
    ui::IntervalTimer transferTickTimer;
    ui::IntervalTimer downloadStepTimer;
    ui::IntervalTimer chargesReplyTimer;
    ui::IntervalTimer dialPrologueTimer;

private:
    // The transfer ticks of the log download; the tick after the last shown one finishes it.
    void transferTick();
    // Steps 0 to 2 of the log download, by exchangeStep.
    void downloadStep();
    // Sends one command of the download; false when the download failed on it.
    bool sendDownloadCommand(const QByteArray& command);
    // A reply missing, short or cut off: the download stops and the held log stays as it was.
    void failDownload();
    void showChargesReply();
    // The prologue of a dial: identifies the adapter once per run, then shows the dial pad.
    void dialPrologueStep();

    WindowBase* downloadCaller_ = nullptr;
};
