#pragma once

#include <QString>
#include <cstdint>

#include "db/callarchive.h"
#include "state/storesettings.h"

namespace db {

// What a move of this PC's tables to the server came to: what was copied, and what the server
// held already and was left as it was there.
struct ServerMoveCounts {
    int64_t records = 0;
    int64_t recordsPresent = 0;
    int64_t calls = 0;
    int64_t callsPresent = 0;
};

// Copies the phone book (Userdat.db) and the archive (Archive.db) in folder into the server, in
// one transaction: all or, on failure, nothing. A record whose 氏名 the server has, and a call it
// holds for the settings' line, are skipped, so that the move can be run again and by a second
// site. The files are read without a lock and left as they are; a missing file counts nothing.
// A password given is tried instead of libpq's own. Throws DatabaseError.
ServerMoveCounts moveToServer(const QString& folder, const appstate::StoreSettings& server,
                              const MonthOfMoment& monthOf, const QString& password = {});

}  // namespace db
