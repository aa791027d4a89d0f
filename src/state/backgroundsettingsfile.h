#pragma once

#include "state/backgroundsettings.h"
#include "state/inifile.h"

namespace appstate {

// The [Background] section of the settings file: Resident, FetchMinutes, Notify, FullPercent,
// ClearWhenArchived and Autostart. A missing key takes its default and an unreadable one is read
// as the file's other keys are; minutes below 0 mean no schedule, and the percent is kept within
// 1 to 100.
BackgroundSettings readBackgroundSettings(const IniFile& ini);
// False when a key could not be written; the keys written before stay.
bool writeBackgroundSettings(const IniFile& ini, const BackgroundSettings& settings);

}  // namespace appstate
