#pragma once

#include <QString>

#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "db/phonebooktable.h"
#include "state/programstate.h"

// The start of a run before any window exists: the settings, the start values of the shared
// record, and the tables. Nothing here shows anything; the caller tells the user what failed.
namespace startup {

struct Tables {
    db::CallLogTable& callLog;
    db::PhoneBookTable& phoneBook;
    db::CallArchive& archive;
};

// What opening the tables came to. A failure skips every later step, as one error would.
struct Outcome {
    QString error;  // the first failure's text, empty when every table opened
    // Another run holds the tables: this one must end after telling so.
    bool tablesInUse = false;
    // The office's server failed the phone book or the archive: the run may try again or use
    // this PC's files.
    bool serverFailed = false;
    bool failed() const { return !error.isEmpty(); }
};

// Reads the eight settings with their defaults and gives the run's members their start values.
void loadSettings(appstate::ProgramState& state, const QString& settingsPath);

// Whether numbers are shown with hyphens outside the log grids: [DISPLAY] HYPHEN=0 turns them
// off. The setting is only read; the program never writes it.
bool hyphenatedNumbers(const QString& settingsPath);

// The phone book and the archive on the office's server when the settings' [Store] choose it;
// the call log stays this PC's file.
void chooseStore(const QString& settingsPath, Tables tables);
// This PC's files for the phone book and the archive, for a run whose server cannot be reached.
void useLocalFiles(Tables tables);

// Opens the call log table (empty), the phone book (made when missing) and the archive, each for
// this run alone. A file that cannot be opened is left as it was.
Outcome openTables(appstate::ProgramState& state, Tables tables);

}  // namespace startup
