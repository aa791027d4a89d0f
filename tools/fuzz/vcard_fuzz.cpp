// Feeds arbitrary bytes to the contact card reader, as a file from any phone or mail program
// would be, and to the phone book's CSV import. Every record must be one the phone book can hold
// as the record editor stores it, every card must be accounted for, a refused CSV must hold
// nothing, and writing the cards out and reading them back must give the same records.
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "db/phonebooktable.h"
#include "rules/telnumber.h"
#include "rules/vcard.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool sameRecord(const db::UserRecord& a, const db::UserRecord& b) {
    return a.name == b.name && a.yomi == b.yomi && a.tel2 == b.tel2 && a.tel == b.tel &&
           a.fax == b.fax && a.zip == b.zip && a.address == b.address && a.note == b.note &&
           a.picture == b.picture;
}

bool onlyNumberChars(const QString& text) {
    for (const QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || c == u'#' || c == u'*' || c == u'-')) {
            return false;
        }
    }
    return true;
}

void checkStored(const db::UserRecord& r) {
    require(!r.name.isEmpty());
    require(sameRecord(db::PhoneBookTable::fitted(r), r));
    require(onlyNumberChars(r.tel) && onlyNumberChars(r.fax));
    require(r.tel2 == rules::lookupDigits(r.tel));
}

bool noKatakana(const QString& text) {
    for (const QChar c : text) {
        if ((c.unicode() >= 0x30A1 && c.unicode() <= 0x30F3) ||
            (c.unicode() >= 0xFF66 && c.unicode() <= 0xFF9D)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<rules::vcard::Card> cards = rules::vcard::readCards(bytes);
    const rules::phonebookimport::ImportedRecords read = rules::vcard::read(bytes);
    require(read.entries() == cards.size() && read.fullNames.size() == read.records.size());
    QList<db::UserRecord> records;
    for (rules::vcard::Card card : cards) {
        // Decoding the picture is the image readers' work; the stored form is tested elsewhere.
        card.photo.clear();
        const db::UserRecord r = rules::vcard::toRecord(card);
        if (r.name.isEmpty()) {
            continue;
        }
        checkStored(r);
        require(noKatakana(r.yomi));
        records << r;
    }

    const rules::phonebookimport::ImportedRecords again =
        rules::vcard::read(rules::vcard::write(records));
    require(again.withoutName == 0 && again.records.size() == records.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        require(sameRecord(again.records[i], records[i]));
    }

    const rules::phonebookimport::ImportedRecords fromCsv = rules::phonebookimport::fromCsv(bytes);
    require(fromCsv.problem.isEmpty() || fromCsv.entries() == 0);
    for (const db::UserRecord& r : fromCsv.records) {
        checkStored(r);
    }
    return 0;
}
