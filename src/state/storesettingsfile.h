#pragma once

#include "state/inifile.h"
#include "state/storesettings.h"

namespace appstate {

// The [Store] section of the settings file: Kind (0 this PC's files, 1 a server), Host, Port,
// Database, User and LineName. Missing or unusable values give the defaults, so a settings file
// of an earlier release keeps the files.
StoreSettings readStoreSettings(const IniFile& ini);
// False when a key could not be written; the keys written before stay.
bool writeStoreSettings(const IniFile& ini, const StoreSettings& store);

}  // namespace appstate
