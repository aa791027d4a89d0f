#pragma once

#include <functional>
#include <string>

namespace ui {

class TimerBackend;

// A timer with the system's interval rule: it fires repeatedly at its interval until the interval
// is set to 0; setting a different interval restarts the count from zero; setting the interval it
// already has changes nothing. The backend decides what time is: Qt's event loop in the program,
// a hand-advanced clock in tests.
class IntervalTimer {
public:
    explicit IntervalTimer(TimerBackend& backend);
    ~IntervalTimer();
    IntervalTimer(const IntervalTimer&) = delete;
    IntervalTimer& operator=(const IntervalTimer&) = delete;

    void setInterval(int ms);
    int interval() const { return interval_; }
    bool running() const { return interval_ > 0; }

    std::function<void()> onElapsed;

    // Called by the backend when the interval has elapsed.
    void fire();

private:
    TimerBackend& backend_;
    int interval_ = 0;
};

// Where timers get their time from.
class TimerBackend {
public:
    virtual ~TimerBackend() = default;
    virtual void arm(IntervalTimer* timer, int ms) = 0;  // (re)start counting ms from now
    virtual void disarm(IntervalTimer* timer) = 0;

    // Where an error escaping a timer handler is shown; the timer keeps running.
    std::function<void(const std::string& message)> onError;
};

}  // namespace ui
