#pragma once

#include <QString>
#include <stdexcept>

#include "db/servermove.h"
#include "state/storesettings.h"

// The store choice could not be kept; the text says what, in Japanese.
class StoreSetupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The [Store] section of the settings file; missing or unusable values keep this PC's files.
appstate::StoreSettings loadStoreSettings(const QString& settingsPath);

// The line name an empty setting stands for: this PC's host name.
QString defaultLineName();

// What a move of this PC's tables to the server came to, for the store window.
QString moveReport(const db::ServerMoveCounts& counts);

// Keeps a typed password in the password file first (never in the settings file), then the
// choice in the settings file. Throws StoreSetupError on the first failure.
void saveStoreSettings(const appstate::StoreSettings& settings, const QString& password,
                       const QString& settingsPath);
