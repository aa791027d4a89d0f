#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "db/callarchive.h"

// Archived calls for the archive's tests, and what a span's monthly totals count.
namespace testcalls {

// Call i: start 1000·i, outgoing on port 1 for odd i, incoming on ports 2 and 3 for even i.
inline db::ArchivedCall call(int i, const QString& number = QString()) {
    db::ArchivedCall c;
    c.startSeconds = 1000 * i;
    c.portSet = i % 2 ? 1 : 6;
    c.callKind = i % 2 ? 1 : 2;
    c.number = number.isEmpty() ? QStringLiteral("03%1").arg(i, 8, 10, QLatin1Char('0')) : number;
    c.durationSeconds = 60;
    c.charge = 10;
    c.moment = 1000 * i;
    c.row = {QString::number(i),
             QStringLiteral("port"),
             i % 2 ? QStringLiteral("▲発信") : QStringLiteral("▽着信"),
             QStringLiteral("name"),
             c.number,
             QStringLiteral("00:01:00"),
             QStringLiteral("10 円"),
             QStringLiteral("12/08 10:00")};
    return c;
}

inline std::vector<db::ArchivedCall> calls(int first, int last) {
    std::vector<db::ArchivedCall> out;
    for (int i = first; i <= last; ++i) {
        out.push_back(call(i));
    }
    return out;
}

// The calls of every kind the span's monthly totals count.
inline int64_t callsCounted(const db::CallArchive& archive, const db::ArchiveSpan& span) {
    int64_t counted = 0;
    for (const db::MonthKindTotal& month : archive.monthTotals(span)) {
        counted += month.calls;
    }
    return counted;
}

}  // namespace testcalls
