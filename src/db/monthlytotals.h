#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace db {

// Adds calls to one month's totals of a kind or a number (ArchiveMonths, ArchiveNumberMonths),
// of the line when the store keeps lines (the server), on the connection of the calls' own
// transaction.
class MonthlyTotalsWriter {
public:
    MonthlyTotalsWriter(const QSqlDatabase& db, std::optional<QString> line);

    void addKind(int month, const QVariant& kind, int64_t calls, int64_t charge);
    void addNumber(int month, const QVariant& number, int64_t calls, int64_t charge);

private:
    void run(QSqlQuery& q, int month, const QVariant& key, int64_t calls, int64_t charge);

    std::optional<QString> line_;
    QSqlQuery byKind_;
    QSqlQuery byNumber_;
};

}  // namespace db
