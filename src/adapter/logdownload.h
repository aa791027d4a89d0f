#pragma once

#include <QByteArray>
#include <QObject>

#include "state/programstate.h"
#include "ui/intervaltimer.h"
#include "ui/wallclock.h"

namespace adapter {

class DeviceLink;
class ReceiveBuffer;

// The log download: log modes, identification, the adapter's clock and password code, then the
// call log image, paced by a step timer and the transfer ticks. A reply missing, short or cut off
// fails the download and leaves the held image as it was.
class LogDownload : public QObject {
    Q_OBJECT
public:
    LogDownload(DeviceLink& link, appstate::ProgramState& state, ReceiveBuffer& received,
                ui::TimerBackend& timers, const ui::WallClock& wallClock);

    // Opens the port and starts; reports portUnavailable instead when the port cannot be used.
    void start();
    // The password the user typed matched: the log itself is requested.
    void continueWithPassword();
    // The user gave up waiting: the timers stop and the next look downloads again.
    void abandon();
    // The line hung up under the exchange.
    void lineGone();

    // From a successful start until it ends, fails or is abandoned; still true while the
    // password is asked.
    bool inProgress() const { return inProgress_; }
    // The transfer's count towards the gauge: past 100 the image is taken.
    int loadProgress() const { return loadProgress_; }
    const ui::IntervalTimer& stepTimer() const { return stepTimer_; }
    const ui::IntervalTimer& tickTimer() const { return tickTimer_; }

signals:
    void started();
    void progress(int percent);
    // The adapter holds a password code other than the one entered.
    void passwordNeeded();
    // The state holds the new image; the port closes a second later.
    void imageReady();
    // The port is closed and the held image is untouched.
    void failed();
    void abandoned();
    void portUnavailable();

private:
    void step();
    void tick();
    void requestLogImage();
    // Sends one command; false when the download failed on it.
    bool send(const QByteArray& command);
    void fail();
    void stop();

    DeviceLink& link_;
    appstate::ProgramState& state_;
    ReceiveBuffer& received_;
    const ui::WallClock& wallClock_;
    ui::IntervalTimer tickTimer_;
    ui::IntervalTimer stepTimer_;
    bool inProgress_ = false;
    int step_ = 0;
    int loadProgress_ = 0;
};

}  // namespace adapter
