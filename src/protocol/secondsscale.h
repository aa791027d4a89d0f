#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

namespace ui {
class WallClock;
}

// The adapter's calendar: 365-day years counted from 1997, days of the month counted from 1.
namespace protocol {

constexpr int32_t YearSeconds = 31536000;
constexpr int32_t DaySeconds = 86400;
constexpr std::array<int32_t, 12> SecondsPerMonth{
    31 * DaySeconds, 28 * DaySeconds, 31 * DaySeconds, 30 * DaySeconds,
    31 * DaySeconds, 30 * DaySeconds, 31 * DaySeconds, 31 * DaySeconds,
    30 * DaySeconds, 31 * DaySeconds, 30 * DaySeconds, 31 * DaySeconds};

// A local date and time on the adapter's scale, from its two-digit year.
int32_t adapterSecondsOf(const QDateTime& local);
// The PC's local time on that scale.
int32_t pcClockSeconds(const ui::WallClock& clock);

// "MM/DD hh:mm" of a moment on the scale; the year is dropped.
QString timeText(int32_t seconds);
// "YYYY/MM/DD hh:mm" of a moment, for lists that keep calls of several years.
QString dateTimeText(int64_t moment);

// Months on the scale are written year * 100 + month, so that they sort and count in order.
// The month and the local date of a moment: the reverse of adapterSecondsOf. The last day of
// a year ends one day into the next year's seconds, since days count from 1.
int monthOfMoment(int64_t moment);
QDate dateOfMoment(int64_t moment);
// The first second of a month.
int64_t monthStartMoment(int month);
int nextMonth(int month);

}  // namespace protocol
