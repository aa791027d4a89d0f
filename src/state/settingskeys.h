#pragma once

#include <cstdint>

#include "state/programstate.h"

// The eight keys of the settings file, in the order they are read at start and written on save.
struct SettingsKey {
    const char* section;
    const char* name;
    int32_t ProgramState::*member;
};

inline constexpr SettingsKey SettingsKeys[] = {
    {"RS232C", "COM", &ProgramState::ComPort},
    {"TEL", "PORT", &ProgramState::DialLine},
    {"LOG", "PORT1", &ProgramState::LogModeTel1},
    {"LOG", "PORT2", &ProgramState::LogModeTel2},
    {"USER", "SET1", &ProgramState::PasswordCode},
    {"USER", "SET2", &ProgramState::passwordNumber},
    {"TIME", "HG", &ProgramState::clockDriftSetting},
    {"TA", "NO", &ProgramState::adapterModel},
};
