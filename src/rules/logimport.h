#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "rules/logconversion.h"

namespace appstate {
struct ProgramState;
}

namespace db {
class ArchiveOutbox;
class DatabaseError;
class PhoneBookTable;
}  // namespace db

namespace rules {

// What one import did. When it failed, error says why; the rows and last calls written until
// then stay, and the totals are only set when the conversion itself went through.
struct LogImportResult {
    bool converted = false;
    int rows = 0;
    int totalCharge = 0;
    int memoryFill = 0;  // percent of the adapter's log area used, at most 100
    // The calls the archive did not hold before, and of them those later than any it held.
    int archivedCalls = 0;
    std::vector<db::ArchivedCall> newestCalls;
    // Every call of the download was found in the archive afterwards.
    bool everyCallArchived = false;
    // The archive cannot be used: downloads are not kept in it.
    bool archiveUnavailable = false;
    // The calls kept on this PC for the office's server, which could not be reached: they are
    // added by sendWaitingCalls() once it can.
    int callsWaiting = 0;
    // What the user should know of a download that still went through: the server away.
    QString notice;
    QString error;
};

// Takes the held log image into the tables: the call log table is rebuilt from it, each known
// caller's last call is written into the phone book, and a download's calls are added to the
// archive. Each table is written in one transaction; the archive only once the other two went
// through. The clock settings are the state's, as the last download read them. With the phone
// book and the archive on the office's server and the server away, the call log is still
// converted, without names, and the archive's calls wait in the outbox.
class LogImport {
public:
    LogImport(appstate::ProgramState& state, db::CallLogTable& log, db::PhoneBookTable& users,
              db::CallArchive& archive, db::ArchiveOutbox& outbox);

    // The image just downloaded: the call log, the last calls and the archive.
    LogImportResult importDownload(const QDateTime& downloadedAt);
    // The held image again, or a cleared log: the archive is left alone.
    LogImportResult importHeld();
    // A history file's bytes over the held image, then imported without the archive: such an
    // image may be old or someone else's. A file that cannot be read throws FileError and
    // leaves the held image as it was.
    LogImportResult loadHistoryFile(const QString& path);
    // Writes the held image's history-file bytes. Throws FileError.
    void saveHistoryFile(const QString& path) const;
    // Adds the calls waiting in the outbox to the archive on the server, all in one transaction,
    // and then drops them from the outbox; a call the archive holds already is kept once.
    // Returns how many were new. Throws db::DatabaseError, leaving the calls waiting.
    int sendWaitingCalls();

private:
    // Converts into the call log table and the phone book, handing each call as the archive
    // keeps it to archived when given. Throws db::DatabaseError.
    void convert(LogImportResult& result, std::vector<db::ArchivedCall>* archived);
    void archive(const std::vector<db::ArchivedCall>& calls, const QDateTime& downloadedAt,
                 LogImportResult& result);

    LogImportResult run(std::vector<db::ArchivedCall>* archived);
    // Keeps the calls for the server in the outbox, after adding them failed with failure.
    void keepForServer(const std::vector<db::ArchivedCall>& calls, const QDateTime& downloadedAt,
                       const db::DatabaseError& failure, LogImportResult& result);

    appstate::ProgramState& state_;
    db::CallLogTable& log_;
    db::PhoneBookTable& users_;
    db::CallArchive& archive_;
    db::ArchiveOutbox& outbox_;
};

}  // namespace rules
