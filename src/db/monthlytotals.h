#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace db {

// Counts calls into the months' totals of each kind and each number (ArchiveMonths,
// ArchiveNumberMonths), of the line when the store keeps lines (the server), and adds them to the
// tables on the connection of the calls' own transaction: each month's row once however many
// calls it gained.
class MonthlyTotalsWriter {
public:
    MonthlyTotalsWriter(const QSqlDatabase& db, std::optional<QString> line);

    void count(int month, const QString& kind, const QString& number, int64_t charge);
    // Adds what was counted to the tables and starts counting afresh.
    void write();

private:
    using Totals = std::map<std::pair<int, QString>, std::pair<int64_t, int64_t>>;

    // Adds totals to table, whose key column (a kind or a number) is key.
    void add(const QString& table, const QString& key, const Totals& totals);

    QSqlDatabase db_;
    std::optional<QString> line_;
    Totals kinds_;
    Totals numbers_;
};

}  // namespace db
