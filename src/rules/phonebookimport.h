#pragma once

#include <QList>
#include <QString>

#include "db/phonebooktable.h"

// Taking records from contact files (vCard, CSV) into the phone book.
namespace phonebookimport {

// The records a file holds, ready for the phone book, and the entries it had to leave out.
struct ImportedRecords {
    QList<db::UserRecord> records;
    int withoutName = 0;  // entries with no name, which cannot be a record
};

struct Summary {
    int added = 0;
    int overwritten = 0;
    int skippedExisting = 0;  // a record with that name was there and was kept
    int skippedWithoutName = 0;
};

// A reading in hiragana: half-width and full-width katakana become hiragana; the rest stays.
QString hiragana(const QString& text);

// How the record editor stores what was typed: numbers cleaned, 電話番号２ taken from the
// cleaned number, every text cut to its field's size at a character boundary.
db::UserRecord asEditorStores(db::UserRecord record);

// The rows of the phone book's CSV export: a header naming the text fields, then a record a
// row. A file without that header is taken to hold the fields in table order.
ImportedRecords fromCsv(const QByteArray& data);

// How many of the records have a name the phone book already holds.
int existingCount(const db::PhoneBookTable& table, const QList<db::UserRecord>& records);

// Adds the records in one transaction: a name already present is overwritten or skipped; an
// overwritten record keeps its last call unless the import brings one. When the engine refuses
// any write, nothing of the import stays and the error goes on to the caller.
Summary importRecords(db::PhoneBookTable& table, const ImportedRecords& imported, bool overwrite);

// The closing message: how many were added, overwritten and skipped, and why.
QString summaryText(const Summary& summary);

}  // namespace phonebookimport
