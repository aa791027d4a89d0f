#pragma once

#include <QString>
#include <functional>

#include "db/callarchive.h"
#include "ui/intervaltimer.h"

// Counts the monthly totals of an archive written by an earlier release in small steps on the
// event loop, so that a large archive never holds up the menu; the statistics wait for it.
class ArchiveTotalsCount {
public:
    ArchiveTotalsCount(db::CallArchive& archive, ui::TimerBackend& timers,
                       std::function<void(const QString&)> onError);

    // Starts the count when the open archive's totals are not ready.
    void start();
    bool running() const { return timer_.running(); }

    static constexpr int StepCalls = 2000;
    static constexpr int StepInterval = 20;  // ms between steps, for the event loop

private:
    void step();

    db::CallArchive& archive_;
    ui::IntervalTimer timer_;
    std::function<void(const QString&)> onError_;
};
