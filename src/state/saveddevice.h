#pragma once

#include <QString>

namespace appstate {

class IniFile;

// The device the user chose for COM<port>, kept in the settings file as
// [RS232C] COM<port>DEVICE=<path>; empty when none was chosen.
QString savedDeviceFor(const IniFile& settings, int port);
// Keeps the choice; an empty device clears it. False when the file cannot be written.
bool saveDeviceFor(const IniFile& settings, int port, const QString& device);

}  // namespace appstate
