#include "protocol/secondsscale.h"

#include <algorithm>

#include "protocol/int32wrap.h"
#include "ui/wallclock.h"

namespace protocol {
namespace {

QString twoDigits(int32_t value) {
    return (value < 10 ? QStringLiteral("0") : QString()) + QString::number(value);
}

int64_t floorDivide(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

struct CalendarDay {
    int64_t year;
    int month;
    int day;
};

CalendarDay calendarDayOf(int64_t moment) {
    const int64_t yearsFrom1997 = floorDivide(moment - DaySeconds, YearSeconds);
    int64_t x = moment - yearsFrom1997 * YearSeconds;  // from DaySeconds to a year past it
    int month = 1;
    while (month < 12 && x >= SecondsPerMonth[static_cast<size_t>(month - 1)] + DaySeconds) {
        x -= SecondsPerMonth[static_cast<size_t>(month - 1)];
        ++month;
    }
    return {1997 + yearsFrom1997, month, static_cast<int>(x / DaySeconds)};
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

int32_t pcClockSeconds(const ui::WallClock& clock) {
    return adapterSecondsOf(clock.now());
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

QString dateTimeText(int64_t moment) {
    const int64_t inDay = moment % DaySeconds;
    return dateOfMoment(moment).toString(QStringLiteral("yyyy/MM/dd")) + u' ' +
           twoDigits(static_cast<int>(inDay / 3600)) + u':' +
           twoDigits(static_cast<int>(inDay % 3600 / 60));
}

int monthOfMoment(int64_t moment) {
    const CalendarDay day = calendarDayOf(moment);
    return static_cast<int>(day.year * 100 + day.month);
}

QDate dateOfMoment(int64_t moment) {
    const CalendarDay day = calendarDayOf(moment);
    return QDate(static_cast<int>(day.year), day.month, day.day);
}

int64_t monthStartMoment(int month) {
    int64_t seconds = int64_t{month / 100 - 1997} * YearSeconds + DaySeconds;
    for (int m = 1; m < month % 100; ++m) {
        seconds += SecondsPerMonth[static_cast<size_t>(m - 1)];
    }
    return seconds;
}

int nextMonth(int month) {
    return month % 100 == 12 ? (month / 100 + 1) * 100 + 1 : month + 1;
}

}  // namespace protocol
