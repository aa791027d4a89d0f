#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "db/phonebooktable.h"

// Taking records from contact files (vCard, CSV) into the phone book.
namespace rules::phonebookimport {

// The records a file holds, ready for the phone book, and the entries it had to leave out.
struct ImportedRecords {
    QList<db::UserRecord> records;
    QStringList fullNames;   // each record's name before it was cut to the field's size
    int withoutName = 0;     // entries with no name, which cannot be a record
    QString problem;         // why the file cannot be taken, naming the line; empty when it can
    bool cancelled = false;  // the user stopped the reading

    // Takes one entry as read: stored as the record editor stores it, or counted without a name.
    void take(const db::UserRecord& entry);
    int entries() const { return static_cast<int>(records.size()) + withoutName; }
};

struct Summary {
    int added = 0;
    int overwritten = 0;
    int skippedExisting = 0;  // a record with that name was there and was kept
    int skippedWithoutName = 0;
    int skippedNameClash = 0;   // the name equals another person's only once cut to the field
    int skippedSameNumber = 0;  // a new name with a number the phone book held, however written
    bool cancelled = false;     // stopped by the user; nothing of the import stayed

    int skipped() const {
        return skippedExisting + skippedWithoutName + skippedNameClash + skippedSameNumber;
    }
};

// Reports now and then how much of all is done; returning false cancels the work.
using Progress = std::function<bool(int done, int total)>;

// The largest contact file an import reads.
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

// The bytes of a contact file, or why it cannot be read: only a regular file (after links) of at
// most MaxFileBytes, so that a FIFO or a device never blocks or floods the program.
QString readFile(const QString& path, QByteArray& data);

// A reading in hiragana: half-width and full-width katakana become hiragana; the rest stays.
QString hiragana(const QString& text);

// How the record editor stores what was typed: numbers cleaned (one written with "+" as dialled
// from Japan), 電話番号２ taken from the cleaned number, every text cut to its field's size at a
// character boundary.
db::UserRecord asEditorStores(db::UserRecord record);

// The rows of the phone book's CSV export: a header of the export's column names (all or some,
// in any order), then a record a row; or, without a header, rows of exactly the export's columns
// in table order. Any other CSV, or one whose quote never closes, is refused with a problem that
// names the expected columns or the line.
ImportedRecords fromCsv(const QByteArray& data);

// How many of the records have, uncut, a name the phone book already holds.
int existingCount(const db::PhoneBookTable& table, const ImportedRecords& imported);

// Adds the records in one transaction: a name already present is overwritten or skipped; an
// overwritten record keeps its last call unless the import brings one. A new name whose 電話番号
// is, however written, the number of a record held before the import is skipped as that person. A
// name that equals another person's only once cut to the field's size is skipped, never
// overwritten. When the engine refuses any write or progress cancels, nothing of the import stays;
// the error goes on to the caller.
Summary importRecords(db::PhoneBookTable& table, const ImportedRecords& imported, bool overwrite,
                      const Progress& progress = {});

// The closing message: how many were added, overwritten and skipped, and why.
QString summaryText(const Summary& summary);

}  // namespace rules::phonebookimport
