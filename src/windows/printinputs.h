#pragma once

#include <QDateTime>
#include <QString>

#include "windows/tableprintout.h"

namespace db {
class CallArchive;
class CallLogTable;
class PhoneBookTable;
struct ArchiveQuery;
struct ArchiveTotals;
}  // namespace db
namespace rules {
class NumberReader;
}

// The printouts of the three lists, with the columns their windows show. They keep references
// to the tables, which must outlive them; totals are read when they are built.

// The archive's calls of a query, landscape, as the archive window's grid shows them. The
// search text is the one typed, for the second line; the totals are the query's. Throws
// db::DatabaseError.
PrintInput archivePrintInput(const db::CallArchive& archive, const db::ArchiveQuery& query,
                             const db::PhoneBookTable& phoneBook,
                             const rules::NumberReader& numbers, const QString& searchText,
                             const QDateTime& printedAt);
// The call log table's rows that its filter lets through, landscape; filterText names the
// filter in force, as the window's "表示条件" shows it.
PrintInput callLogPrintInput(const db::CallLogTable& callLog, const QString& filterText,
                             const QDateTime& printedAt);
// Every phone book record in the table's current order, portrait. Throws db::DatabaseError.
PrintInput phoneBookPrintInput(const db::PhoneBookTable& phoneBook, const QDateTime& printedAt);

// The count, the total duration and the total charge of archived calls, on one line.
QString archiveTotalsText(const db::ArchiveTotals& totals);
