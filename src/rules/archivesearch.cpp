#include "rules/archivesearch.h"

#include <algorithm>

#include "rules/numberreader.h"

namespace rules {

void setArchiveSearch(db::ArchiveQuery& query, const QString& text, const NumberReader& numbers,
                      const db::CallArchive& archive, const db::PhoneBookTable& phoneBook) {
    const QString trimmed = text.trimmed();
    query.search = !trimmed.isEmpty();
    query.digits.clear();
    query.numbers.clear();
    if (!query.search) {
        return;
    }
    const bool looksLikeNumber =
        std::none_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isLetter(); });
    if (looksLikeNumber) {
        query.digits = archiveDigits(trimmed);
    } else {
        query.numbers = numbers.numbersAt(trimmed, archive.numbers());
    }
    if (phoneBook.isOpen()) {
        query.numbers += phoneBook.numbersOfNamesContaining(trimmed);
    }
}

}  // namespace rules
