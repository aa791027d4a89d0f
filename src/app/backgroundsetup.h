#pragma once

#include <QString>
#include <stdexcept>

#include "state/autostartentry.h"
#include "state/backgroundsettings.h"

// A background setting could not be kept; the text says what, in Japanese.
class BackgroundSetupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The background settings of the settings file's [Background] section; a missing or unreadable
// key takes its default.
appstate::BackgroundSettings loadBackgroundSettings(const QString& settingsPath);

// Writes or removes the login start entry at autostartPath as the settings ask, then saves the
// settings in the settings file. Throws BackgroundSetupError on the first failure; the entry is
// then as the settings file says.
void saveBackgroundSettings(const appstate::BackgroundSettings& settings,
                            const QString& settingsPath, const QString& autostartPath,
                            const appstate::AutostartProgram& program);
