#include "app/archivetotalscount.h"

#include <exception>

ArchiveTotalsCount::ArchiveTotalsCount(db::CallArchive& archive, ui::TimerBackend& timers,
                                       std::function<void(const QString&)> onError)
    : archive_(archive), timer_(timers), onError_(std::move(onError)) {
    timer_.onElapsed = [this] { step(); };
}

void ArchiveTotalsCount::start() {
    if (archive_.isOpen() && !archive_.totalsReady()) {
        timer_.setInterval(StepInterval);
    }
}

void ArchiveTotalsCount::step() {
    try {
        if (!archive_.isOpen() || archive_.countTotals(StepCalls)) {
            timer_.setInterval(0);
        }
    } catch (const std::exception& e) {
        // Told once; the count goes on at the next start.
        timer_.setInterval(0);
        onError_(QString::fromUtf8(e.what()));
    }
}
