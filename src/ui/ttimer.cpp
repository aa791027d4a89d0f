#include "ui/ttimer.h"

#include <exception>

namespace ui {

TTimer::TTimer(TimerBackend& backend) : backend_(backend) {}

TTimer::~TTimer() {
    if (interval_ > 0) {
        backend_.disarm(this);
    }
}

void TTimer::setInterval(int ms) {
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

void TTimer::fire() {
    if (interval_ <= 0 || !OnTimer) {
        return;
    }
    try {
        OnTimer();
    } catch (const std::exception& e) {
        if (backend_.onError) {
            backend_.onError(e.what());
        }
    }
}

}  // namespace ui
