#pragma once

#include <QString>

namespace appstate {

// The password file the database client library reads: $PGPASSFILE, else ~/.pgpass.
QString pgpassPath();

// Puts one "host:port:database:user:password" line into the password file, replacing the line
// for the same host, port, database and user, and keeping every other line. The file is written
// whole or not at all and readable by its owner only, as the library requires before it uses
// it. Returns the failure in Japanese, or an empty text.
QString writePgpassEntry(const QString& path, const QString& host, int port,
                         const QString& database, const QString& user, const QString& password);

// A field as the password file writes it: backslash and colon escaped by a backslash.
QString pgpassField(const QString& value);

}  // namespace appstate
