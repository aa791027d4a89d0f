#include "app/storesetup.h"

#include "db/serverschema.h"
#include "state/inifile.h"
#include "state/pgpassfile.h"
#include "state/storesettingsfile.h"

appstate::StoreSettings loadStoreSettings(const QString& settingsPath) {
    return appstate::readStoreSettings(appstate::IniFile(settingsPath));
}

QString defaultLineName() {
    return db::serverLineName({});
}

QString moveReport(const db::ServerMoveCounts& counts) {
    return QStringLiteral(
               "電話帳 %1 件、通話履歴 %2 件をサーバーへ移しました。\n"
               "サーバーにすでにあった電話帳 %3 件、通話履歴 %4 件はそのままです。")
        .arg(counts.records)
        .arg(counts.calls)
        .arg(counts.recordsPresent)
        .arg(counts.callsPresent);
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
