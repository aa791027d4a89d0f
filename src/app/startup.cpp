#include "app/startup.h"

#include <exception>

#include "db/databaseerror.h"
#include "rules/logfilter.h"
#include "state/inifile.h"
#include "state/settingskeys.h"

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

Outcome openTables(appstate::ProgramState& s, Tables tables) {
    try {
        tables.callLog.rowFilter = [&s](const db::LogRow& row) {
            return rules::acceptsLogRow(s.logFilterMode, row);
        };
        tables.callLog.setExclusive(true);
        tables.callLog.createTable();
        tables.callLog.open();

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
        tables.archive.setExclusive(true);
        tables.archive.open();
    } catch (const db::DatabaseError& e) {
        return {e.text(), e.fileInUse()};
    } catch (const std::exception& e) {
        return {QString::fromUtf8(e.what()), false};
    }
    return {};
}

}  // namespace startup
