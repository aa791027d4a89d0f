#include "state/backgroundsettingsfile.h"

#include <algorithm>

namespace appstate {

namespace {

const QString Section = QStringLiteral("Background");

}  // namespace

BackgroundSettings readBackgroundSettings(const IniFile& ini) {
    BackgroundSettings s;
    const auto flag = [&ini](const char* key, bool defaultValue) {
        return ini.readInteger(Section, QString::fromLatin1(key), defaultValue ? 1 : 0) != 0;
    };
    s.resident = flag("Resident", s.resident);
    s.fetchMinutes =
        std::max(0, ini.readInteger(Section, QStringLiteral("FetchMinutes"), s.fetchMinutes));
    s.notify = flag("Notify", s.notify);
    s.fullPercent =
        std::clamp(ini.readInteger(Section, QStringLiteral("FullPercent"), s.fullPercent), 1, 100);
    s.clearWhenArchived = flag("ClearWhenArchived", s.clearWhenArchived);
    s.autostart = flag("Autostart", s.autostart);
    return s;
}

bool writeBackgroundSettings(const IniFile& ini, const BackgroundSettings& settings) {
    return ini.writeInteger(Section, QStringLiteral("Resident"), settings.resident ? 1 : 0) &&
           ini.writeInteger(Section, QStringLiteral("FetchMinutes"), settings.fetchMinutes) &&
           ini.writeInteger(Section, QStringLiteral("Notify"), settings.notify ? 1 : 0) &&
           ini.writeInteger(Section, QStringLiteral("FullPercent"), settings.fullPercent) &&
           ini.writeInteger(Section, QStringLiteral("ClearWhenArchived"),
                            settings.clearWhenArchived ? 1 : 0) &&
           ini.writeInteger(Section, QStringLiteral("Autostart"), settings.autostart ? 1 : 0);
}

}  // namespace appstate
