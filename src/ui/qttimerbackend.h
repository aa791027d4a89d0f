#pragma once

#include <QHash>

#include "ui/ttimer.h"

class QTimer;

namespace ui {

// Runs timers on Qt's event loop, one QTimer each.
class QtTimerBackend : public TimerBackend {
public:
    QtTimerBackend() = default;
    ~QtTimerBackend() override;
    void arm(TTimer* timer, int ms) override;
    void disarm(TTimer* timer) override;

private:
    QHash<TTimer*, QTimer*> timers_;
};

}  // namespace ui
