#include "ui/qttimerbackend.h"

#include <QTimer>

namespace ui {

QtTimerBackend::~QtTimerBackend() {
    qDeleteAll(timers_);
}

void QtTimerBackend::arm(IntervalTimer* timer, int ms) {
    QTimer*& qt = timers_[timer];
    if (qt == nullptr) {
        qt = new QTimer;
        qt->setTimerType(Qt::PreciseTimer);
        QObject::connect(qt, &QTimer::timeout, [timer] { timer->fire(); });
    }
    qt->start(ms);
}

void QtTimerBackend::disarm(IntervalTimer* timer) {
    if (QTimer* qt = timers_.take(timer)) {
        qt->stop();
        qt->deleteLater();
    }
}

}  // namespace ui
