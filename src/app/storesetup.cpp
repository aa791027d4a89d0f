#include "app/storesetup.h"

#include <QSysInfo>

#include "state/inifile.h"
#include "state/pgpassfile.h"
#include "state/storesettingsfile.h"

appstate::StoreSettings loadStoreSettings(const QString& settingsPath) {
    return appstate::readStoreSettings(appstate::IniFile(settingsPath));
}

QString defaultLineName() {
    return QSysInfo::machineHostName();
}

void saveStoreSettings(const appstate::StoreSettings& settings, const QString& password,
                       const QString& settingsPath) {
    if (settings.kind == appstate::StoreKind::Server && !password.isEmpty()) {
        const QString failure =
            appstate::writePgpassEntry(appstate::pgpassPath(), settings.host, settings.port,
                                       settings.database, settings.user, password);
        if (!failure.isEmpty()) {
            throw StoreSetupError(failure.toStdString());
        }
    }
    if (!appstate::writeStoreSettings(appstate::IniFile(settingsPath), settings)) {
        throw StoreSetupError(
            QStringLiteral("設定ファイル %1 に書き込めません。").arg(settingsPath).toStdString());
    }
}
