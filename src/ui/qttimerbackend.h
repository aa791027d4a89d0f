#pragma once

#include <QHash>

#include "ui/intervaltimer.h"

class QTimer;

namespace ui {

// Runs timers on Qt's event loop, one QTimer each.
class QtTimerBackend : public TimerBackend {
public:
    QtTimerBackend() = default;
    ~QtTimerBackend() override;
    void arm(IntervalTimer* timer, int ms) override;
    void disarm(IntervalTimer* timer) override;

private:
    QHash<IntervalTimer*, QTimer*> timers_;
};

}  // namespace ui
