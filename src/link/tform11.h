#pragma once

#include <cstdint>

#include "app/tformbase.h"
#include "link/tcomm.h"
#include "ui/ttimer.h"

// The never-shown device-link window: owner of the serial port and of the exchange timers.
class TForm11 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm11(Application& app);

    // Appends the waiting bytes to RxBuffer and paces the dial window's reply check.
    void Comm1CommReceive(TComm& sender, uint16_t size);
    // Starts a log download: log modes, identification, clock and password code, then the log.
    // A download that fails brings back caller, or the menu when there is none.
    void GethgTime(TFormBase* caller = nullptr);
    // Requests the call log image and starts the transfer ticks of Timer1.
    void LogDataLoad();
    // Asks the adapter for its charge counters; Timer3 shows them 500 ms later.
    void GetTelData();

    TComm Comm1;
    ui::TTimer Timer1;
    ui::TTimer Timer2;
    ui::TTimer Timer3;
    ui::TTimer Timer4;

private:
    // The transfer ticks of the log download; the tick after the last shown one finishes it.
    void Timer1Timer();
    // Steps 0 to 2 of the log download, by LinkStep.
    void Timer2Timer();
    // Sends one command of the download; false when the download failed on it.
    bool SendDownloadCommand(const QByteArray& command);
    // A reply missing, short or cut off: the download stops and the held log stays as it was.
    void DownloadFailed();
    void Timer3Timer();
    // The prologue of a dial: identifies the adapter once per run, then shows the dial pad.
    void Timer4Timer();

    TFormBase* downloadCaller_ = nullptr;
};
