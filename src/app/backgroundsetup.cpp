#include "app/backgroundsetup.h"

#include <QDir>
#include <utility>

#include "state/inifile.h"

namespace {

const QString Section = QStringLiteral("Background");

}  // namespace

appstate::BackgroundSettings loadBackgroundSettings(const QString& settingsPath) {
    const appstate::IniFile ini(settingsPath);
    appstate::BackgroundSettings s;
    const auto flag = [&ini](const char* key, bool defaultValue) {
        return ini.readInteger(Section, QString::fromLatin1(key), defaultValue ? 1 : 0) != 0;
    };
    s.resident = flag("Resident", s.resident);
    s.fetchMinutes = ini.readInteger(Section, QStringLiteral("FetchMinutes"), s.fetchMinutes);
    s.notify = flag("Notify", s.notify);
    s.fullPercent = ini.readInteger(Section, QStringLiteral("FullPercent"), s.fullPercent);
    s.clearWhenArchived = flag("ClearWhenArchived", s.clearWhenArchived);
    s.autostart = flag("Autostart", s.autostart);
    return s;
}

void saveBackgroundSettings(const appstate::BackgroundSettings& settings,
                            const QString& settingsPath, const QString& autostartPath,
                            const appstate::AutostartProgram& program) {
    const bool autostartBefore = loadBackgroundSettings(settingsPath).autostart;
    const QString failure =
        appstate::updateAutostartEntry(autostartPath, settings.autostart, program);
    if (!failure.isEmpty()) {
        throw BackgroundSetupError(failure.toStdString());
    }
    const appstate::IniFile ini(settingsPath);
    const std::pair<const char*, int> values[] = {
        {"Resident", settings.resident ? 1 : 0},
        {"FetchMinutes", settings.fetchMinutes},
        {"Notify", settings.notify ? 1 : 0},
        {"FullPercent", settings.fullPercent},
        {"ClearWhenArchived", settings.clearWhenArchived ? 1 : 0},
        {"Autostart", settings.autostart ? 1 : 0},
    };
    for (const auto& [key, value] : values) {
        if (!ini.writeInteger(Section, QString::fromLatin1(key), value)) {
            // The login start goes back to what the settings file still says.
            appstate::updateAutostartEntry(autostartPath, autostartBefore, program);
            throw BackgroundSetupError(QStringLiteral("設定を保存できません: %1")
                                           .arg(QDir::toNativeSeparators(settingsPath))
                                           .toStdString());
        }
    }
}
