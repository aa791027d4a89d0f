#pragma once

#include <QString>

namespace appstate {

// Where the phone book and the archive live: the files beside the call log, or a PostgreSQL
// server shared by several PCs. The password is never kept here: libpq takes it from ~/.pgpass or
// the PG* environment variables.
enum class StoreKind { Files = 0, Server = 1 };

struct StoreSettings {
    StoreKind kind = StoreKind::Files;
    QString host;
    int port = 5432;
    QString database;
    QString user;
    // The name under which this PC's adapter's calls are archived; empty means the host name.
    QString lineName;
};

}  // namespace appstate
