#include "rules/callstatistics.h"

#include <QDateTime>
#include <algorithm>

#include "db/phonebooktable.h"
#include "protocol/secondsscale.h"
#include "rules/logtexts.h"

namespace calllog {
namespace {

int previousMonth(int month) {
    return month % 100 == 1 ? (month / 100 - 1) * 100 + 12 : month - 1;
}

int64_t momentOf(const QDate& date, const QTime& time) {
    // As the archive window's date range counts it, so both windows agree on a day's calls.
    return adapterSecondsOf(QDateTime(date, time));
}

std::vector<NumberFigures> namedFigures(const std::vector<db::NumberTotal>& totals,
                                        const db::PhoneBookTable& users) {
    std::vector<NumberFigures> out;
    for (const db::NumberTotal& t : totals) {
        const QString name =
            users.isOpen() ? users.nameForNumber(t.Number).value_or(QString()) : QString();
        out.push_back({t.Number, name, t.Calls, t.Charge});
    }
    return out;
}

}  // namespace

db::ArchiveSpan archiveSpanOf(const QDate& from, const QDate& to) {
    db::ArchiveSpan span;
    if (from > to) {
        return span;
    }
    const int64_t first = momentOf(from, QTime(0, 0));
    const int64_t last = momentOf(to, QTime(23, 59, 59));
    const int firstMonth = monthOfMoment(first);
    const int lastMonth = monthOfMoment(last);
    const bool startsMonth = first == monthStartMoment(firstMonth);
    const bool endsMonth = last == monthStartMoment(nextMonth(lastMonth)) - 1;
    if (firstMonth == lastMonth && !(startsMonth && endsMonth)) {
        span.Pieces.push_back({first, last, firstMonth});
        return span;
    }
    span.FirstMonth = firstMonth;
    span.LastMonth = lastMonth;
    if (!startsMonth) {
        span.Pieces.push_back({first, monthStartMoment(nextMonth(firstMonth)) - 1, firstMonth});
        span.FirstMonth = nextMonth(firstMonth);
    }
    if (!endsMonth) {
        span.Pieces.push_back({monthStartMoment(lastMonth), last, lastMonth});
        span.LastMonth = previousMonth(lastMonth);
    }
    return span;
}

CallStatistics callStatistics(const db::CallArchive& archive, const db::PhoneBookTable& users,
                              const QDate& from, const QDate& to) {
    CallStatistics s;
    if (from > to || !archive.isOpen()) {
        return s;
    }
    const int lastMonth = monthOfMoment(momentOf(to, QTime(23, 59, 59)));
    for (int m = monthOfMoment(momentOf(from, QTime(0, 0))); m <= lastMonth; m = nextMonth(m)) {
        s.Months.push_back({.Month = m});
    }
    const db::ArchiveSpan span = archiveSpanOf(from, to);
    for (const db::MonthKindTotal& t : archive.monthTotals(span)) {
        const auto month =
            std::lower_bound(s.Months.begin(), s.Months.end(), t.Month,
                             [](const MonthFigures& f, int m) { return f.Month < m; });
        if (month == s.Months.end() || month->Month != t.Month) {
            continue;
        }
        if (t.KindText == KindColumnTexts[1]) {
            month->Outgoing += t.Calls;
        } else if (t.KindText == KindColumnTexts[2]) {
            month->Incoming += t.Calls;
        } else if (t.KindText == AnsweringMachineText) {
            month->Messages += t.Calls;
        } else {
            month->Other += t.Calls;
        }
        month->Charge += t.Charge;
    }
    const db::TopNumbers top = archive.topNumbers(span, TopNumbers);
    s.MostCalls = namedFigures(top.ByCalls, users);
    s.HighestCharges = namedFigures(top.ByCharge, users);
    return s;
}

}  // namespace calllog
