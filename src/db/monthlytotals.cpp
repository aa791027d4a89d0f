#include "db/monthlytotals.h"

#include <QSqlError>
#include <utility>

#include "db/connection.h"

namespace db {
namespace {

// The statement that adds calls to a month's totals of a kind or a number. The server keeps
// the totals per line: line names the line's column there, and is empty for the file.
QString addToMonthly(const QString& table, const QString& key, const QString& line) {
    const QString lineColumn = line.isEmpty() ? QString() : line + QStringLiteral(", ");
    const QString lineValue = line.isEmpty() ? QString() : QStringLiteral("?, ");
    return QStringLiteral(
               "INSERT INTO %1 (%2month, %3, calls, charge) VALUES (%4?, ?, ?, ?) ON "
               "CONFLICT (%2month, %3) DO UPDATE SET calls = %1.calls + "
               "excluded.calls, charge = %1.charge + excluded.charge")
        .arg(table, lineColumn, key, lineValue);
}

}  // namespace

MonthlyTotalsWriter::MonthlyTotalsWriter(const QSqlDatabase& db, std::optional<QString> line)
    : line_(std::move(line)), byKind_(db), byNumber_(db) {
    const QString lineColumn = line_ ? QStringLiteral("line_name") : QString();
    if (!byKind_.prepare(
            addToMonthly(QStringLiteral("ArchiveMonths"), QStringLiteral("kind"), lineColumn)) ||
        !byNumber_.prepare(addToMonthly(QStringLiteral("ArchiveNumberMonths"),
                                        QStringLiteral("number"), lineColumn))) {
        throw Connection::errorOf(byKind_.lastError().isValid() ? byKind_.lastError()
                                                                : byNumber_.lastError());
    }
}

void MonthlyTotalsWriter::count(int month, const QString& kind, const QString& number,
                                int64_t charge) {
    auto& ofKind = kinds_[{month, kind}];
    ++ofKind.first;
    ofKind.second += charge;
    auto& ofNumber = numbers_[{month, number}];
    ++ofNumber.first;
    ofNumber.second += charge;
}

void MonthlyTotalsWriter::write() {
    for (const auto& [key, total] : kinds_) {
        run(byKind_, key.first, key.second, total.first, total.second);
    }
    for (const auto& [key, total] : numbers_) {
        run(byNumber_, key.first, key.second, total.first, total.second);
    }
    kinds_.clear();
    numbers_.clear();
}

void MonthlyTotalsWriter::run(QSqlQuery& q, int month, const QVariant& key, int64_t calls,
                              int64_t charge) {
    int i = 0;
    if (line_) {
        q.bindValue(i++, *line_);
    }
    q.bindValue(i++, month);
    q.bindValue(i++, key);
    q.bindValue(i++, QVariant::fromValue<qint64>(calls));
    q.bindValue(i++, QVariant::fromValue<qint64>(charge));
    if (!q.exec()) {
        throw Connection::errorOf(q.lastError());
    }
}

}  // namespace db
