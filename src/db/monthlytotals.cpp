#include "db/monthlytotals.h"

#include <QSqlError>
#include <QStringList>
#include <utility>

#include "db/connection.h"

namespace db {
namespace {

// The statement that adds calls to the months' totals of kinds or numbers, rows of them. The
// server keeps the totals per line: line names the line's column there, and is empty for the
// file.
QString addToMonthly(const QString& table, const QString& key, const QString& line, int rows) {
    const QString lineColumn = line.isEmpty() ? QString() : line + QStringLiteral(", ");
    const QString row =
        line.isEmpty() ? QStringLiteral("(?, ?, ?, ?)") : QStringLiteral("(?, ?, ?, ?, ?)");
    return QStringLiteral(
               "INSERT INTO %1 (%2month, %3, calls, charge) VALUES %4 ON "
               "CONFLICT (%2month, %3) DO UPDATE SET calls = %1.calls + "
               "excluded.calls, charge = %1.charge + excluded.charge")
        .arg(table, lineColumn, key, QStringList(rows, row).join(u", "));
}

}  // namespace

MonthlyTotalsWriter::MonthlyTotalsWriter(const QSqlDatabase& db, std::optional<QString> line)
    : db_(db), line_(std::move(line)) {}

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
    add(QStringLiteral("ArchiveMonths"), QStringLiteral("kind"), kinds_);
    add(QStringLiteral("ArchiveNumberMonths"), QStringLiteral("number"), numbers_);
    kinds_.clear();
    numbers_.clear();
}

void MonthlyTotalsWriter::add(const QString& table, const QString& key, const Totals& totals) {
    // Many totals a statement: one each would cost a round trip each on a server.
    constexpr int RowsPerStatement = 200;
    const QString lineColumn = line_ ? QStringLiteral("line_name") : QString();
    auto next = totals.begin();
    while (next != totals.end()) {
        QVariantList values;
        int rows = 0;
        for (; next != totals.end() && rows < RowsPerStatement; ++next, ++rows) {
            if (line_) {
                values << *line_;
            }
            values << next->first.first << next->first.second
                   << QVariant::fromValue<qint64>(next->second.first)
                   << QVariant::fromValue<qint64>(next->second.second);
        }
        QSqlQuery q(db_);
        if (!q.prepare(addToMonthly(table, key, lineColumn, rows))) {
            throw Connection::errorOf(q.lastError());
        }
        for (int i = 0; i < values.size(); ++i) {
            q.bindValue(i, values[i]);
        }
        if (!q.exec()) {
            throw Connection::errorOf(q.lastError());
        }
    }
}

}  // namespace db
