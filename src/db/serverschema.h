#pragma once

#include <QString>

#include "db/connection.h"
#include "state/storesettings.h"

namespace db {

// The version of the shared tables this release makes and uses. A later release adds a step from
// each earlier version and never edits one.
constexpr int ServerSchemaVersion = 1;

// Makes the office's shared phone book ("Userdat") and archive ("Archive" with its monthly
// totals) on the server when missing, with the schema version, in one transaction that another
// PC starting at the same moment waits for. Returns the version the tables are at. Tables made by
// a newer release are refused: this one would not keep their rules. Throws DatabaseError.
int prepareServerTables(Connection& server);

// The server and database as a table's place is shown: host:port/database.
QString serverAddress(const appstate::StoreSettings& server);

// The line this PC's calls are archived under on the server: the settings' line name, else the
// host name.
QString serverLineName(const appstate::StoreSettings& server);

// The store window's connection test: empty when the server answers and its tables are usable
// or could be made; otherwise what is wrong, in Japanese.
// A password typed in the window is tried instead of libpq's own.
QString checkServer(const appstate::StoreSettings& server, const QString& password = {});

}  // namespace db
