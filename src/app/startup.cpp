#include "app/startup.h"

#include <exception>

#include "db/databaseerror.h"
#include "rules/logfilter.h"
#include "state/inifile.h"
#include "state/settingskeys.h"
#include "state/storesettingsfile.h"

namespace startup {

void loadSettings(appstate::ProgramState& s, const QString& settingsPath) {
    const appstate::IniFile ini(settingsPath);
    s.settings = appstate::Settings::defaults();
    s.compactMenuInUse = false;
    for (const appstate::SettingsKey& key : appstate::SettingsKeys) {
        s.settings.*key.member =
            ini.readInteger(QString::fromLatin1(key.section), QString::fromLatin1(key.name),
                            s.settings.*key.member);
    }

    s.enteredPasswordCode = 0;
    s.logImage.markStale();
    s.continuousDial = false;
    s.dialNumber.clear();
    s.adapterIdentified = false;
    s.dialInProgress = false;
    s.logFilterMode = 0;
}

bool hyphenatedNumbers(const QString& settingsPath) {
    return appstate::IniFile(settingsPath)
               .readInteger(QStringLiteral("DISPLAY"), QStringLiteral("HYPHEN"), 1) != 0;
}

void chooseStore(const QString& settingsPath, Tables tables) {
    const appstate::StoreSettings store =
        appstate::readStoreSettings(appstate::IniFile(settingsPath));
    if (store.kind == appstate::StoreKind::Server) {
        tables.phoneBook.useServer(store);
        tables.archive.useServer(store);
    }
}

void useLocalFiles(Tables tables) {
    tables.phoneBook.useFile();
    tables.archive.useFile();
}

Outcome openTables(appstate::ProgramState& s, Tables tables) {
    bool atServer = false;
    try {
        tables.callLog.rowFilter = [&s](const db::LogRow& row) {
            return rules::acceptsLogRow(s.logFilterMode, row);
        };
        tables.callLog.setExclusive(true);
        tables.callLog.createTable();
        tables.callLog.open();

        atServer = tables.phoneBook.onServer();
        if (!tables.phoneBook.fileExists()) {
            tables.phoneBook.createTable();
        }
        tables.phoneBook.setExclusive(true);
        tables.phoneBook.open();
        tables.phoneBook.setIndex(db::PhoneBookTable::Index::Yomi);

        for (auto& entry : s.redialList) {
            entry.clear();
        }
        s.redialCount = 0;

        // Last: an archive that cannot be used is told and leaves the rest of the start as is.
        atServer = tables.archive.onServer();
        tables.archive.setExclusive(true);
        tables.archive.open();
    } catch (const db::DatabaseError& e) {
        if (atServer) {
            return {QStringLiteral("サーバーの電話帳と通話記録を使えません。\n%1")
                        .arg(e.text().trimmed()),
                    false, true};
        }
        return {e.text(), e.fileInUse()};
    } catch (const std::exception& e) {
        return {QString::fromUtf8(e.what()), false};
    }
    return {};
}

}  // namespace startup
