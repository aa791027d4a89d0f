#pragma once

#include <QString>

#include "db/callarchive.h"
#include "db/phonebooktable.h"
#include "rules/numberreader.h"

namespace rules {

// Sets the archive query's search for text as the archive window's search box takes it: a text
// without letters is a number however written (hyphens, brackets, "+81"); one with letters is
// a place or a kind of number; either also finds the numbers of phone book names containing it.
// An empty text searches nothing.
void setArchiveSearch(db::ArchiveQuery& query, const QString& text, const NumberReader& numbers,
                      const db::CallArchive& archive, const db::PhoneBookTable& phoneBook);

}  // namespace rules
