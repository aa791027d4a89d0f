#include "app/startup.h"

#include <exception>

#include "db/edatabaseerror.h"
#include "rules/logfilter.h"
#include "state/inifile.h"
#include "state/settingskeys.h"

namespace startup {
namespace {

constexpr int kBusy = 5;  // the engine's code for a file another connection holds

}  // namespace

void loadSettings(ProgramState& s, const QString& settingsPath) {
    const IniFile ini(settingsPath);
    s.ComPort = 1;
    s.DialLine = 1;
    s.LogModeTel1 = 3;
    s.LogModeTel2 = 3;
    s.PasswordCode = 0;
    s.passwordNumber = 0;
    s.clockDriftSetting = 99;
    s.adapterModel = 0;
    s.compactMenuInUse = false;
    for (const SettingsKey& key : SettingsKeys) {
        s.*key.member = ini.readInteger(QString::fromLatin1(key.section),
                                        QString::fromLatin1(key.name), s.*key.member);
    }

    s.EnteredPasswordCode = 0;
    s.logImage.markStale();
    s.ContinuousDial = false;
    s.DialNumber.clear();
    s.adapterIdentified = false;
    s.DialInProgress = false;
    s.LogFilterMode = 0;
}

Outcome openTables(ProgramState& s, Tables tables) {
    try {
        tables.callLog.OnFilterRecord = [&s](const db::LogRow& row) {
            return calllog::acceptsLogRow(s.LogFilterMode, row);
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

        for (auto& entry : s.RedialList) {
            entry.clear();
        }
        s.RedialCount = 0;

        // Last: an archive that cannot be used is told and leaves the rest of the start as is.
        tables.archive.setExclusive(true);
        tables.archive.open();
    } catch (const db::EDatabaseError& e) {
        return {e.text(), e.resultCode() == kBusy};
    } catch (const std::exception& e) {
        return {QString::fromUtf8(e.what()), false};
    }
    return {};
}

}  // namespace startup
