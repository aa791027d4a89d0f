#pragma once

#include <cstdint>

#include "state/settings.h"

namespace appstate {

// The eight keys of the settings file, in the order they are read at start and written on save.
struct SettingsKey {
    const char* section;
    const char* name;
    int32_t Settings::*member;
};

inline constexpr SettingsKey SettingsKeys[] = {
    {"RS232C", "COM", &Settings::comPort},        {"TEL", "PORT", &Settings::dialLine},
    {"LOG", "PORT1", &Settings::logModeTel1},     {"LOG", "PORT2", &Settings::logModeTel2},
    {"USER", "SET1", &Settings::passwordCode},    {"USER", "SET2", &Settings::passwordNumber},
    {"TIME", "HG", &Settings::clockDriftSetting}, {"TA", "NO", &Settings::adapterModel},
};

}  // namespace appstate
