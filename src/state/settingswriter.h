#pragma once

#include <QString>
#include <stdexcept>

namespace appstate {

struct Settings;

// The settings file could not be read or replaced; it is left as it was.
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the eight settings keys as decimal integers, keeping every other line of the file.
// All eight reach the file together or none does: they are applied to a copy, which then
// replaces the file in one step.
void writeSettings(const QString& path, const Settings& settings);

}  // namespace appstate
