#include "rules/callstatistics.h"

#include <QDateTime>
#include <algorithm>

#include "db/phonebooktable.h"
#include "protocol/secondsscale.h"
#include "rules/logtexts.h"

namespace rules {
namespace {

int previousMonth(int month) {
    return month % 100 == 1 ? (month / 100 - 1) * 100 + 12 : month - 1;
}

int64_t momentOf(const QDate& date, const QTime& time) {
    // As the archive window's date range counts it, so both windows agree on a day's calls.
    return protocol::adapterSecondsOf(QDateTime(date, time));
}

std::vector<NumberFigures> namedFigures(const std::vector<db::NumberTotal>& totals,
                                        const db::PhoneBookTable& users) {
    std::vector<NumberFigures> out;
    for (const db::NumberTotal& t : totals) {
        const QString name =
            users.isOpen() ? users.nameForNumber(t.number).value_or(QString()) : QString();
        out.push_back({t.number, name, t.calls, t.charge});
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
    const int firstMonth = protocol::monthOfMoment(first);
    const int lastMonth = protocol::monthOfMoment(last);
    const bool startsMonth = first == protocol::monthStartMoment(firstMonth);
    const bool endsMonth = last == protocol::monthStartMoment(protocol::nextMonth(lastMonth)) - 1;
    if (firstMonth == lastMonth && !(startsMonth && endsMonth)) {
        span.pieces.push_back({first, last, firstMonth});
        return span;
    }
    span.firstMonth = firstMonth;
    span.lastMonth = lastMonth;
    if (!startsMonth) {
        span.pieces.push_back(
            {first, protocol::monthStartMoment(protocol::nextMonth(firstMonth)) - 1, firstMonth});
        span.firstMonth = protocol::nextMonth(firstMonth);
    }
    if (!endsMonth) {
        span.pieces.push_back({protocol::monthStartMoment(lastMonth), last, lastMonth});
        span.lastMonth = previousMonth(lastMonth);
    }
    return span;
}

CallStatistics callStatistics(const db::CallArchive& archive, const db::PhoneBookTable& users,
                              const QDate& from, const QDate& to, const QString& lineName) {
    CallStatistics s;
    if (from > to || !archive.isOpen()) {
        return s;
    }
    const int lastMonth = protocol::monthOfMoment(momentOf(to, QTime(23, 59, 59)));
    for (int m = protocol::monthOfMoment(momentOf(from, QTime(0, 0))); m <= lastMonth;
         m = protocol::nextMonth(m)) {
        s.months.push_back({.month = m});
    }
    db::ArchiveSpan span = archiveSpanOf(from, to);
    span.lineName = lineName;
    for (const db::MonthKindTotal& t : archive.monthTotals(span)) {
        const auto month =
            std::lower_bound(s.months.begin(), s.months.end(), t.month,
                             [](const MonthFigures& f, int m) { return f.month < m; });
        if (month == s.months.end() || month->month != t.month) {
            continue;
        }
        if (t.kindText == KindColumnTexts[1]) {
            month->outgoing += t.calls;
        } else if (t.kindText == KindColumnTexts[2]) {
            month->incoming += t.calls;
        } else if (t.kindText == AnsweringMachineText) {
            month->messages += t.calls;
        } else {
            month->other += t.calls;
        }
        month->charge += t.charge;
    }
    const db::TopNumbers top = archive.topNumbers(span, TopNumbers);
    s.mostCalls = namedFigures(top.byCalls, users);
    s.highestCharges = namedFigures(top.byCharge, users);
    return s;
}

}  // namespace rules
