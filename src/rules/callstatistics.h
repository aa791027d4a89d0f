#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

#include "db/callarchive.h"

namespace db {
class PhoneBookTable;
}

// Figures of the archived calls over a date range: per month, and per number.
namespace rules {

struct MonthFigures {
    int month = 0;  // year * 100 + month
    int64_t outgoing = 0;
    int64_t incoming = 0;
    int64_t messages = 0;  // recorded by the answering machine
    int64_t other = 0;     // call-backs, relayed and forwarded calls, unknown kinds
    int64_t charge = 0;    // yen, calls of every kind
};

struct NumberFigures {
    QString number;
    QString name;  // from the phone book; empty when the number has no record
    int64_t calls = 0;
    int64_t charge = 0;
};

struct CallStatistics {
    std::vector<MonthFigures> months;  // every month of the range in order, quiet ones included
    std::vector<NumberFigures> mostCalls;
    std::vector<NumberFigures> highestCharges;
};

constexpr int TopNumbers = 10;

// The days from `from` to `to`, both included, as whole months and pieces of months.
db::ArchiveSpan archiveSpanOf(const QDate& from, const QDate& to);

// A line name, on a server, keeps the figures to that line's calls; empty counts every line.
CallStatistics callStatistics(const db::CallArchive& archive, const db::PhoneBookTable& users,
                              const QDate& from, const QDate& to, const QString& lineName = {});

}  // namespace rules
