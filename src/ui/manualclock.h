#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "ui/intervaltimer.h"

namespace ui {

// A clock that moves only when told to. Timers armed on it fire in due order while advance()
// walks time forward, so a test can say exactly what happens at which millisecond. Other parts
// (the simulated adapter) can schedule plain callbacks on the same time line.
class ManualClock : public TimerBackend {
public:
    void arm(IntervalTimer* timer, int ms) override;
    void disarm(IntervalTimer* timer) override;

    int64_t now() const { return now_; }
    void advance(int64_t ms);
    void advanceTo(int64_t when);

    // Runs fn once when time reaches now() + ms (the next advance, for 0).
    void schedule(int64_t ms, std::function<void()> fn);

    // Time at which the timer fires next, or -1 when it is stopped.
    int64_t dueTime(const IntervalTimer* timer) const;

private:
    struct Armed {
        int64_t due;
        int64_t seq;
        int interval;
    };
    struct Pending {
        int64_t due;
        int64_t seq;
        std::function<void()> fn;
    };
    bool nextEvent(int64_t limit, int64_t& due, IntervalTimer*& timer, size_t& pendingIndex) const;

    int64_t now_ = 0;
    int64_t seq_ = 0;
    std::map<IntervalTimer*, Armed> timers_;
    std::vector<Pending> pending_;
};

}  // namespace ui
