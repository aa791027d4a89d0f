#include "ui/intervaltimer.h"

#include <exception>

namespace ui {

IntervalTimer::IntervalTimer(TimerBackend& backend) : backend_(backend) {}

IntervalTimer::~IntervalTimer() {
    if (interval_ > 0) {
        backend_.disarm(this);
    }
}

void IntervalTimer::setInterval(int ms) {
    if (ms < 0) {
        ms = 0;
    }
    if (ms == interval_) {
        return;
    }
    interval_ = ms;
    if (ms == 0) {
        backend_.disarm(this);
    } else {
        backend_.arm(this, ms);
    }
}

void IntervalTimer::fire() {
    if (interval_ <= 0 || !onElapsed) {
        return;
    }
    try {
        onElapsed();
    } catch (const std::exception& e) {
        if (backend_.onError) {
            backend_.onError(e.what());
        }
    }
}

}  // namespace ui
