#include "state/saveddevice.h"

#include "state/inifile.h"

namespace appstate {

namespace {

const QString Section = QStringLiteral("RS232C");

QString keyFor(int port) {
    return QStringLiteral("COM%1DEVICE").arg(port);
}

}  // namespace

QString savedDeviceFor(const IniFile& settings, int port) {
    return settings.readString(Section, keyFor(port));
}

bool saveDeviceFor(const IniFile& settings, int port, const QString& device) {
    return settings.writeString(Section, keyFor(port), device);
}

}  // namespace appstate
