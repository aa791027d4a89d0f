#include "rules/logimport.h"

#include <algorithm>

#include "db/archiveproblem.h"
#include "db/callarchive.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"
#include "protocol/logimage.h"
#include "rules/callerlookup.h"
#include "rules/historyfile.h"
#include "state/programstate.h"

namespace rules {

namespace {

// Keeps what a failed conversion wrote, as it would stand without the batches. The failure that
// ended the conversion is the one reported, so a second one while committing is not.
void keepWritten(db::CallLogTable& log, db::PhoneBookTable& users) noexcept {
    try {
        log.commitBatch();
    } catch (const db::DatabaseError&) {
    }
    try {
        users.commitBatch();
    } catch (const db::DatabaseError&) {
    }
}

}  // namespace

LogImport::LogImport(appstate::ProgramState& state, db::CallLogTable& log,
                     db::PhoneBookTable& users, db::CallArchive& archive)
    : state_(state), log_(log), users_(users), archive_(archive) {}

LogImportResult LogImport::importDownload(const QDateTime& downloadedAt) {
    std::vector<db::ArchivedCall> archived;
    LogImportResult result = run(&archived);
    if (result.converted) {
        archive(archived, downloadedAt, result);
    }
    return result;
}

LogImportResult LogImport::importHeld() {
    return run(nullptr);
}

LogImportResult LogImport::loadHistoryFile(const QString& path) {
    // Read whole before anything is copied: a failed read leaves the held image as it was.
    const QByteArray bytes = readHistoryFile(path);
    state_.logImage.hold(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   static_cast<size_t>(bytes.size())));
    return importHeld();
}

void LogImport::saveHistoryFile(const QString& path) const {
    writeHistoryFile(path, state_.logImage.bytes().first<HistoryFileBytes>());
}

LogImportResult LogImport::run(std::vector<db::ArchivedCall>* archived) {
    LogImportResult result;
    result.archiveUnavailable = !archive_.isOpen();
    try {
        convert(result, archived);
    } catch (const db::DatabaseError& e) {
        result.error = e.text();
    }
    return result;
}

void LogImport::convert(LogImportResult& result, std::vector<db::ArchivedCall>* archived) {
    if (!log_.isOpen()) {
        log_.createTable();
        log_.open();
    }
    const protocol::DecodedLog log = protocol::decodeLogImage(state_.logImage.bytes());
    const ClockSettings clock = clockSettingsOf(state_);
    CallerLookup callers(users_);
    int total = 0;
    int count = 0;
    try {
        // One transaction a table, the call log table rebuilt inside its own: a full log costs
        // two commits, not hundreds.
        log_.beginBatch();
        log_.createTable();
        users_.beginBatch();
        for (const protocol::LogEntry& entry : log.entries) {
            ConvertedEntry c = convertLogEntry(entry, count + 1, clock);
            total += entry.charge;
            if (const std::optional<QString> name = callers.find(c.row.number)) {
                c.row.name = *name;
                if (!c.answeringMachine) {
                    users_.setLastCall(*name, c.row.callTime, c.row.duration, c.row.charge);
                }
            }
            log_.append(c.row);
            if (archived) {
                archived->push_back(archivedCallOf(entry, c));
            }
            ++count;
            result.rows = count;
        }
        log_.commitBatch();
        users_.commitBatch();
    } catch (...) {
        keepWritten(log_, users_);
        throw;
    }
    result.converted = true;
    result.totalCharge = total;
    result.memoryFill = std::min(memoryGaugeValue(count, log.endOffset), 100);
}

void LogImport::archive(const std::vector<db::ArchivedCall>& calls, const QDateTime& downloadedAt,
                        LogImportResult& result) {
    if (result.archiveUnavailable) {
        return;
    }
    try {
        const std::optional<int64_t> latest = archive_.latestMoment();
        result.archivedCalls = archive_.add(calls, downloadedAt);
        for (const db::ArchivedCall& call : calls) {
            if (!latest || call.moment > *latest) {
                result.newestCalls.push_back(call);
            }
        }
        result.everyCallArchived = archive_.countHeld(calls) == static_cast<int>(calls.size());
    } catch (const db::DatabaseError& e) {
        result.error = db::archiveProblemText(archive_.path(), e, db::CallsNotArchived);
    }
}

}  // namespace rules
