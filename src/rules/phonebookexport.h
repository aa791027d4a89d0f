#pragma once

#include <QList>
#include <QString>

#include "db/phonebooktable.h"
#include "rules/csvfile.h"

namespace rules {

// The phone book's CSV columns: every field but the picture.
QStringList phoneBookCsvHeader();
// One row a record, in the table's order.
csv::RowSource phoneBookCsvRows(const db::PhoneBookTable& table);
// The phone book's CSV export. The failure's text, empty on success.
QString writePhoneBookCsv(const db::PhoneBookTable& table, const QString& path,
                          csv::Encoding encoding);
// The records as vCards in one file. The failure's text, empty on success.
QString writeVCardFile(const QList<db::UserRecord>& records, const QString& path);

}  // namespace rules
