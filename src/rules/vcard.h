#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "db/phonebooktable.h"
#include "rules/phonebookimport.h"

// Contact cards as phones and mail programs exchange them (versions 2.1, 3.0 and 4.0).
namespace rules::vcard {

// What one card says about a person, decoded to text, before the phone book's rules apply.
struct Card {
    QString name;  // FN, else N with the family name first
    QString reading;
    QString tel;  // the first number that is not a fax
    QString fax;
    QString zip;
    QString address;
    QString note;
    QByteArray photo;  // the picture file's bytes
};

// Every card of a file: UTF-8 (with or without a byte-order mark), UTF-16 (with a byte-order mark,
// or without one when the bytes show it) or Shift-JIS; CRLF, LF, CR or CR CR LF line ends, folded
// lines, quoted-printable with soft line breaks, base64, CHARSET (without one, UTF-8 when the bytes
// are valid UTF-8, else Shift-JIS). A card whose END is missing or garbled ends where the next
// card begins or the file ends. Version 2.1 values keep their backslashes but for "\;".
QList<Card> readCards(const QByteArray& data);

// The card as the phone book keeps it: the reading in hiragana, the numbers and sizes as the
// record editor stores them, the picture as the editor stores pictures.
db::UserRecord toRecord(const Card& card);

// Every card with a name as a record, with its name before the cut; cards without one are
// counted. progress hears how many of the file's lines are read; when it says no, the result is
// cancelled and holds nothing.
rules::phonebookimport::ImportedRecords read(const QByteArray& data,
                                             const rules::phonebookimport::Progress& progress = {});

// The records as version 3.0 cards in UTF-8 with CRLF line ends.
QByteArray write(const QList<db::UserRecord>& records);

}  // namespace rules::vcard
