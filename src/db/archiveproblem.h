#pragma once

#include <QString>

namespace db {

class DatabaseError;

// A problem of the archive file as the user reads it: the file, what is wrong with it in
// Japanese, what it means for the calls, then the engine's own text.
QString archiveProblemText(const QString& path, const DatabaseError& error, const QString& meaning);

// What the meaning says in the usual cases.
extern const QString CallsNotArchived;  // a download's calls were not kept
extern const QString ArchiveNotInUse;   // the archive cannot be used in this run

}  // namespace db
