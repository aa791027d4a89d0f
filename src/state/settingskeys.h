#pragma once

#include <cstdint>

#include "state/programstate.h"

namespace appstate {

// The eight keys of the settings file, in the order they are read at start and written on save.
struct SettingsKey {
    const char* section;
    const char* name;
    int32_t ProgramState::*member;
};

inline constexpr SettingsKey SettingsKeys[] = {
    {"RS232C", "COM", &ProgramState::comPort},
    {"TEL", "PORT", &ProgramState::dialLine},
    {"LOG", "PORT1", &ProgramState::logModeTel1},
    {"LOG", "PORT2", &ProgramState::logModeTel2},
    {"USER", "SET1", &ProgramState::passwordCode},
    {"USER", "SET2", &ProgramState::passwordNumber},
    {"TIME", "HG", &ProgramState::clockDriftSetting},
    {"TA", "NO", &ProgramState::adapterModel},
};

}  // namespace appstate
