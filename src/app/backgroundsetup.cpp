#include "app/backgroundsetup.h"

#include <QDir>

#include "state/backgroundsettingsfile.h"
#include "state/inifile.h"

appstate::BackgroundSettings loadBackgroundSettings(const QString& settingsPath) {
    return appstate::readBackgroundSettings(appstate::IniFile(settingsPath));
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
    if (!appstate::writeBackgroundSettings(appstate::IniFile(settingsPath), settings)) {
        // The login start goes back to what the settings file still says.
        appstate::updateAutostartEntry(autostartPath, autostartBefore, program);
        throw BackgroundSetupError(QStringLiteral("設定を保存できません: %1")
                                       .arg(QDir::toNativeSeparators(settingsPath))
                                       .toStdString());
    }
}
