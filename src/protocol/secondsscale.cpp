#include "protocol/secondsscale.h"

#include <algorithm>

#include "protocol/int32wrap.h"
#include "state/programstate.h"
#include "ui/wallclock.h"

namespace calllog {
namespace {

QString twoDigits(int32_t value) {
    return (value < 10 ? QStringLiteral("0") : QString()) + QString::number(value);
}

}  // namespace

int32_t adapterSecondsOf(const QDateTime& local) {
    const QDate date = local.date();
    const QTime time = local.time();
    int yy = date.year() % 100;
    if (yy > 80 && yy < 97) {
        yy = 97;
    }
    if (yy < 80) {
        yy += 100;
    }
    int64_t seconds = int64_t{yy - 97} * YearSeconds;
    for (int month = 1; month < date.month(); ++month) {
        seconds += SecondsPerMonth[static_cast<size_t>(month - 1)];
    }
    seconds +=
        int64_t{date.day()} * DaySeconds + time.hour() * 3600 + time.minute() * 60 + time.second();
    return wrap32(seconds);
}

void storePcClock(ProgramState& state, const ui::WallClock& clock) {
    state.PcClockSeconds = adapterSecondsOf(clock.now());
}

QString timeText(int32_t seconds) {
    int32_t x = seconds % YearSeconds;
    int month = 1;
    while (month < 12 && x >= SecondsPerMonth[static_cast<size_t>(month - 1)] + DaySeconds) {
        x -= SecondsPerMonth[static_cast<size_t>(month - 1)];
        ++month;
    }
    const int32_t day = std::max(x / DaySeconds, int32_t{1});
    const int32_t hour = (x % DaySeconds) / 3600;
    const int32_t minute = (x % 3600) / 60;
    return twoDigits(month) + u'/' + twoDigits(day) + u' ' + twoDigits(hour) + u':' +
           twoDigits(minute);
}

}  // namespace calllog
