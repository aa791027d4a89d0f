#include "state/storesettingsfile.h"

namespace appstate {

namespace {

const QString Section = QStringLiteral("Store");

}  // namespace

StoreSettings readStoreSettings(const IniFile& ini) {
    StoreSettings store;
    const int kind = ini.readInteger(Section, QStringLiteral("Kind"), 0);
    store.kind = kind == 1 ? StoreKind::Server : StoreKind::Files;
    store.host = ini.readString(Section, QStringLiteral("Host")).trimmed();
    const int port = ini.readInteger(Section, QStringLiteral("Port"), store.port);
    if (port > 0 && port <= 65535) {
        store.port = port;
    }
    store.database = ini.readString(Section, QStringLiteral("Database")).trimmed();
    store.user = ini.readString(Section, QStringLiteral("User")).trimmed();
    store.lineName = ini.readString(Section, QStringLiteral("LineName")).trimmed();
    // A server without a host cannot be reached; the files are the safe reading.
    if (store.host.isEmpty()) {
        store.kind = StoreKind::Files;
    }
    return store;
}

bool writeStoreSettings(const IniFile& ini, const StoreSettings& store) {
    return ini.writeInteger(Section, QStringLiteral("Kind"), static_cast<int>(store.kind)) &&
           ini.writeString(Section, QStringLiteral("Host"), store.host) &&
           ini.writeInteger(Section, QStringLiteral("Port"), store.port) &&
           ini.writeString(Section, QStringLiteral("Database"), store.database) &&
           ini.writeString(Section, QStringLiteral("User"), store.user) &&
           ini.writeString(Section, QStringLiteral("LineName"), store.lineName);
}

}  // namespace appstate
