#include "ui/manualclock.h"

namespace ui {

void ManualClock::arm(IntervalTimer* timer, int ms) {
    timers_[timer] = Armed{now_ + ms, seq_++, ms};
}

void ManualClock::disarm(IntervalTimer* timer) {
    timers_.erase(timer);
}

int64_t ManualClock::dueTime(const IntervalTimer* timer) const {
    auto it = timers_.find(const_cast<IntervalTimer*>(timer));
    return it == timers_.end() ? -1 : it->second.due;
}

void ManualClock::schedule(int64_t ms, std::function<void()> fn) {
    pending_.push_back(Pending{now_ + (ms < 0 ? 0 : ms), seq_++, std::move(fn)});
}

// Earliest event due at or before limit; ties go to what was armed or scheduled first.
bool ManualClock::nextEvent(int64_t limit, int64_t& due, IntervalTimer*& timer,
                            size_t& pendingIndex) const {
    bool found = false;
    int64_t bestSeq = 0;
    for (const auto& [t, a] : timers_) {
        if (a.due <= limit && (!found || a.due < due || (a.due == due && a.seq < bestSeq))) {
            found = true;
            due = a.due;
            bestSeq = a.seq;
            timer = t;
            pendingIndex = pending_.size();
        }
    }
    for (size_t i = 0; i < pending_.size(); ++i) {
        const Pending& p = pending_[i];
        if (p.due <= limit && (!found || p.due < due || (p.due == due && p.seq < bestSeq))) {
            found = true;
            due = p.due;
            bestSeq = p.seq;
            timer = nullptr;
            pendingIndex = i;
        }
    }
    return found;
}

void ManualClock::advanceTo(int64_t when) {
    int64_t due = 0;
    IntervalTimer* timer = nullptr;
    size_t index = 0;
    while (nextEvent(when, due, timer, index)) {
        now_ = due;
        if (timer != nullptr) {
            Armed& a = timers_[timer];
            a.due += a.interval;
            a.seq = seq_++;
            timer->fire();
        } else {
            auto fn = std::move(pending_[index].fn);
            pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(index));
            fn();
        }
    }
    if (when > now_) {
        now_ = when;
    }
}

void ManualClock::advance(int64_t ms) {
    advanceTo(now_ + ms);
}

}  // namespace ui
