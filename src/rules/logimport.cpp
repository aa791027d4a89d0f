#include "rules/logimport.h"

#include <algorithm>

#include "db/archiveoutbox.h"
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

// Ends the phone book's batch of a conversion that goes on without the phone book.
void dropPhoneBookBatch(db::PhoneBookTable& users) noexcept {
    try {
        users.commitBatch();
    } catch (const db::DatabaseError&) {
    }
}

QString phoneBookAwayText(const db::DatabaseError& e) {
    return QStringLiteral("サーバーの電話帳を読めないため、氏名なしで変換しました。\n%1")
        .arg(e.text());
}

}  // namespace

LogImport::LogImport(appstate::ProgramState& state, db::CallLogTable& log,
                     db::PhoneBookTable& users, db::CallArchive& archive, db::ArchiveOutbox& outbox)
    : state_(state), log_(log), users_(users), archive_(archive), outbox_(outbox) {}

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
    // A server archive that could not be opened is only away: its calls wait in the outbox.
    result.archiveUnavailable = !archive_.isOpen() && !archive_.onServer();
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
        bool phoneBook = true;
        // The office's server away must not cost the call log: it goes on without names.
        const auto phoneBookAway = [&](const db::DatabaseError& e) {
            if (!users_.onServer()) {
                throw;
            }
            dropPhoneBookBatch(users_);
            phoneBook = false;
            result.notice = phoneBookAwayText(e);
        };
        try {
            users_.beginBatch();
        } catch (const db::DatabaseError& e) {
            phoneBookAway(e);
        }
        for (const protocol::LogEntry& entry : log.entries) {
            ConvertedEntry c = convertLogEntry(entry, count + 1, clock);
            total += entry.charge;
            try {
                if (const std::optional<QString> name =
                        phoneBook ? callers.find(c.row.number) : std::nullopt) {
                    c.row.name = *name;
                    if (!c.answeringMachine) {
                        users_.setLastCall(*name, c.row.callTime, c.row.duration, c.row.charge);
                    }
                }
            } catch (const db::DatabaseError& e) {
                phoneBookAway(e);
            }
            log_.append(c.row);
            if (archived) {
                archived->push_back(archivedCallOf(entry, c));
            }
            ++count;
            result.rows = count;
        }
        log_.commitBatch();
        if (phoneBook) {
            try {
                users_.commitBatch();
            } catch (const db::DatabaseError& e) {
                phoneBookAway(e);
            }
        }
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
        if (!archive_.onServer()) {
            result.error = db::archiveProblemText(archive_.path(), e, db::CallsNotArchived);
            return;
        }
        keepForServer(calls, downloadedAt, e, result);
    }
}

void LogImport::keepForServer(const std::vector<db::ArchivedCall>& calls,
                              const QDateTime& downloadedAt, const db::DatabaseError& failure,
                              LogImportResult& result) {
    result.archivedCalls = 0;
    result.newestCalls.clear();
    result.everyCallArchived = false;
    try {
        outbox_.keep(calls, downloadedAt);
    } catch (const db::DatabaseError& e) {
        result.error = db::archiveProblemText(archive_.path(), failure, db::CallsNotArchived) +
                       QStringLiteral("\n%1").arg(e.text());
        return;
    }
    result.callsWaiting = static_cast<int>(calls.size());
    const QString kept = QStringLiteral(
                             "サーバーに届かないため、通話 %1 件をこのPCに預けました。"
                             "サーバーに届くようになると通話履歴に加えます。\n%2")
                             .arg(calls.size())
                             .arg(failure.text());
    result.notice = result.notice.isEmpty() ? kept : result.notice + u'\n' + kept;
}

int LogImport::sendWaitingCalls() {
    const db::ArchiveOutbox::Waiting waiting = outbox_.waiting();
    if (waiting.downloads.empty()) {
        return 0;
    }
    const int added = archive_.add(waiting.downloads);
    outbox_.forget(waiting.lastRow);
    return added;
}

}  // namespace rules
