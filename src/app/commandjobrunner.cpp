#include "app/commandjobrunner.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

#include "app/startup.h"
#include "db/archiveoutbox.h"
#include "db/databaseerror.h"
#include "db/tablebackups.h"
#include "protocol/secondsscale.h"
#include "rules/archivesearch.h"
#include "rules/logtexts.h"
#include "rules/password.h"
#include "rules/phonebookexport.h"
#include "rules/phonebookimport.h"
#include "rules/vcard.h"
#include "windows/archivecsv.h"
#include "windows/archivemodel.h"
#include "windows/printinputs.h"
#include "windows/tableprintout.h"

namespace {

constexpr int QuietCheckMs = 50;
const QString TablesInUse =
    QStringLiteral("表は起動中の Tilka が使っています。Tilka を終了してからやり直してください。");

JobResult failure(const QString& error) {
    return {1, {}, error};
}

QString tableProblem(const db::DatabaseError& e) {
    return e.fileInUse() ? TablesInUse : e.text();
}

bool isCsv(const QString& path) {
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

}  // namespace

QString adapterBusyMessage() {
    return QStringLiteral("アダプターと通信中です。あとでやり直してください。");
}

// The record, the link and the tables of a job run on its own, outside a running program.
struct CommandJobRunner::OwnTables {
    explicit OwnTables(const JobEnvironment& env)
        : link(state, env.timers, env.wallClock, env.ports),
          callLog(env.tableFolder),
          phoneBook(env.tableFolder),
          archive(env.tableFolder, protocol::monthOfMoment),
          outbox(env.tableFolder),
          logImport(state, callLog, phoneBook, archive, outbox) {
        startup::loadSettings(state, env.settingsPath);
        startup::chooseStore(env.settingsPath, {callLog, phoneBook, archive});
        link.usePort(state.settings.comPort);
    }

    appstate::ProgramState state{};
    adapter::DeviceLink link;
    db::CallLogTable callLog;
    db::PhoneBookTable phoneBook;
    db::CallArchive archive;
    db::ArchiveOutbox outbox;
    rules::LogImport logImport;
};

CommandJobRunner::CommandJobRunner(JobEnvironment environment)
    : CommandJobRunner(environment, std::make_unique<OwnTables>(environment)) {}

CommandJobRunner::CommandJobRunner(JobEnvironment environment, std::unique_ptr<OwnTables> own)
    : CommandJobRunner(std::move(environment),
                       RunningTables{own->state, own->link, own->callLog, own->phoneBook,
                                     own->archive, own->logImport, nullptr}) {
    own_ = std::move(own);
}

CommandJobRunner::CommandJobRunner(JobEnvironment environment, RunningTables running)
    : env_(std::move(environment)), tables_(std::move(running)), quietCheck_(env_.timers) {
    numbers_.setHyphens(startup::hyphenatedNumbers(env_.settingsPath));
    quietCheck_.onElapsed = [this] {
        if (linkQuiet()) {
            quietCheck_.setInterval(0);
            finish(pending_);
        }
    };
}

bool CommandJobRunner::linkQuiet() const {
    return !tables_.link.download().inProgress() && !tables_.link.tel2LogModeTimer().running() &&
           !tables_.link.portCloseTimer().running();
}

CommandJobRunner::~CommandJobRunner() = default;

void CommandJobRunner::run(const CommandJob& job, std::function<void(const JobResult&)> done) {
    done_ = std::move(done);
    try {
        switch (job.kind) {
            case CommandJob::Kind::Download:
            case CommandJob::Kind::PrintCallLog:
                download(job);
                break;
            case CommandJob::Kind::PrintArchive:
                printArchive(job);
                break;
            case CommandJob::Kind::ExportArchive:
                exportArchive(job);
                break;
            case CommandJob::Kind::ExportPhoneBook:
                exportPhoneBook(job);
                break;
            case CommandJob::Kind::Import:
                importFile(job);
                break;
            case CommandJob::Kind::Backup:
                backup(job);
                break;
            case CommandJob::Kind::Restore:
                restore(job);
                break;
        }
    } catch (const db::DatabaseError& e) {
        finish(failure(tableProblem(e)));
    } catch (const std::exception& e) {
        finish(failure(QString::fromUtf8(e.what())));
    }
}

void CommandJobRunner::finish(JobResult result) {
    if (done_) {
        // Once only: a late report of the link must not end the job twice.
        const auto done = std::exchange(done_, nullptr);
        done(result);
    }
}

void CommandJobRunner::finishWhenQuiet(JobResult result) {
    pending_ = std::move(result);
    quietCheck_.setInterval(QuietCheckMs);
}

int CommandJobRunner::sendWaitingCalls() {
    // A running program sends them itself, on its own schedule.
    if (!own_ || !tables_.archive.onServer() || !tables_.archive.isOpen()) {
        return 0;
    }
    try {
        return tables_.logImport.sendWaitingCalls();
    } catch (const db::DatabaseError&) {
        return 0;  // still waiting, for the next run
    }
}

bool CommandJobRunner::openBook(bool withArchive) {
    if (!own_) {
        return true;
    }
    try {
        if (!tables_.phoneBook.fileExists()) {
            tables_.phoneBook.createTable();
        }
        tables_.phoneBook.setExclusive(true);
        tables_.phoneBook.open();
        if (withArchive) {
            tables_.archive.setExclusive(true);
            tables_.archive.open();
        }
    } catch (const db::DatabaseError& e) {
        finish(failure(tableProblem(e)));
        return false;
    }
    return true;
}

QString CommandJobRunner::backupFolder(const CommandJob& job) const {
    return job.folder.isEmpty() ? QDir(env_.tableFolder).filePath(QStringLiteral("backup"))
                                : job.folder;
}

void CommandJobRunner::download(const CommandJob& job) {
    if (!own_ && (tables_.link.portOpen() || !linkQuiet())) {
        finish(failure(adapterBusyMessage()));
        return;
    }
    const startup::Outcome opened =
        own_ ? startup::openTables(tables_.state,
                                   {tables_.callLog, tables_.phoneBook, tables_.archive})
             : startup::Outcome{};
    // With the office's server away the download goes on: the call log is this PC's, and the
    // calls for the archive wait here until a run reaches the server.
    if (opened.failed() && !opened.serverFailed) {
        finish(failure(opened.tablesInUse ? TablesInUse : opened.error));
        return;
    }
    // The password the user gave, else the one the options saved.
    if (job.passwordNumber) {
        tables_.state.enteredPasswordCode = rules::passwordCodeOf(*job.passwordNumber);
    } else if (tables_.state.settings.passwordCode > 0) {
        tables_.state.enteredPasswordCode = tables_.state.settings.passwordCode;
    }
    printTo_ = job.kind == CommandJob::Kind::PrintCallLog ? job.file : QString();
    connectDownload(job.passwordNumber.has_value());
    tables_.link.startDownload();
}

void CommandJobRunner::connectDownload(bool passwordGiven) {
    const adapter::LogDownload* download = &tables_.link.download();
    QObject::connect(download, &adapter::LogDownload::imageReady, &receiver_, [this] {
        const rules::LogImportResult result =
            tables_.logImport.importDownload(env_.wallClock.now());
        if (!result.error.isEmpty()) {
            finishWhenQuiet(failure(result.error));
            return;
        }
        if (tables_.downloaded) {
            tables_.downloaded(result);
        }
        QString output = QStringLiteral("%1 件を受信、うち新規 %2 件")
                             .arg(result.rows)
                             .arg(result.archivedCalls);
        if (result.callsWaiting > 0) {
            output += QStringLiteral("、サーバーへの送信待ち %1 件").arg(result.callsWaiting);
        }
        if (const int sent = sendWaitingCalls(); sent > 0) {
            output += QStringLiteral("、送信待ちだった新規 %1 件をサーバーへ").arg(sent);
        }
        if (!printTo_.isEmpty()) {
            QString problem;
            if (!writePdf(callLogPrintInput(tables_.callLog, QStringLiteral("すべての通話"),
                                            env_.wallClock.now()),
                          printTo_, &problem)) {
                finishWhenQuiet(failure(problem));
                return;
            }
            output += QStringLiteral("。印刷しました: %1").arg(printTo_);
        }
        finishWhenQuiet({0, output, {}});
    });
    QObject::connect(download, &adapter::LogDownload::failed, &receiver_, [this] {
        finishWhenQuiet(failure(QStringLiteral(
            "アダプターが応答しません。ケーブルと電源、ポートの設定を確かめてください。")));
    });
    QObject::connect(download, &adapter::LogDownload::portUnavailable, &receiver_, [this] {
        QString text =
            QStringLiteral("ポート COM%1 を開けません。既に使われているか利用できません。")
                .arg(tables_.state.settings.comPort);
        if (tables_.link.portOpenDenied()) {
            text += rules::PortPermissionText;
        }
        finish(failure(text));
    });
    QObject::connect(
        download, &adapter::LogDownload::passwordNeeded, &receiver_, [this, passwordGiven] {
            tables_.link.abandonDownload();
            JobResult refused = failure(
                passwordGiven ? QStringLiteral("パスワードが違います。")
                              : QStringLiteral("アダプターがパスワードを求めています。--password "
                                               "で指定してください。"));
            refused.passwordAsked = true;
            finishWhenQuiet(refused);
        });
}

db::ArchiveQuery CommandJobRunner::archiveQueryOf(const CommandJob& job) const {
    db::ArchiveQuery query;
    rules::setArchiveSearch(query, job.search, numbers_, tables_.archive, tables_.phoneBook);
    query.kindText = job.kindText;
    if (job.from) {
        query.from = protocol::adapterSecondsOf(QDateTime(*job.from, QTime(0, 0)));
    }
    if (job.to) {
        query.to = protocol::adapterSecondsOf(QDateTime(*job.to, QTime(23, 59, 59)));
    }
    return query;
}

void CommandJobRunner::printArchive(const CommandJob& job) {
    if (!openBook(true)) {
        return;
    }
    QString problem;
    if (!writePdf(archivePrintInput(tables_.archive, archiveQueryOf(job), tables_.phoneBook,
                                    numbers_, job.search, env_.wallClock.now()),
                  job.file, &problem)) {
        finish(failure(problem));
        return;
    }
    finish({0, QStringLiteral("印刷しました: %1").arg(job.file), {}});
}

void CommandJobRunner::exportArchive(const CommandJob& job) {
    if (!openBook(true)) {
        return;
    }
    const db::ArchiveQuery query = archiveQueryOf(job);
    const ArchiveModel model(tables_.archive, tables_.phoneBook, numbers_);
    const rules::csv::RowSource rows = archiveCsvRows(model, tables_.archive, query);
    int written = 0;
    const QString problem = rules::csv::writeFile(
        job.file, job.encoding, archiveCsvHeader(), [&rows, &written](const auto& write) {
            rows([&write, &written](const QStringList& cells) {
                write(cells);
                ++written;
            });
        });
    if (!problem.isEmpty()) {
        finish(failure(problem));
        return;
    }
    finish({0, QStringLiteral("%1 件を書き出しました: %2").arg(written).arg(job.file), {}});
}

void CommandJobRunner::exportPhoneBook(const CommandJob& job) {
    if (!openBook(false)) {
        return;
    }
    const QString problem =
        isCsv(job.file) ? rules::writePhoneBookCsv(tables_.phoneBook, job.file, job.encoding)
                        : rules::writeVCardFile(tables_.phoneBook.allRecords(), job.file);
    if (!problem.isEmpty()) {
        finish(failure(problem));
        return;
    }
    finish({0,
            QStringLiteral("%1 件を書き出しました: %2")
                .arg(tables_.phoneBook.recordCount())
                .arg(job.file),
            {}});
}

void CommandJobRunner::importFile(const CommandJob& job) {
    QByteArray data;
    if (const QString problem = rules::phonebookimport::readFile(job.file, data);
        !problem.isEmpty()) {
        finish(failure(problem));
        return;
    }
    const rules::phonebookimport::ImportedRecords imported =
        isCsv(job.file) ? rules::phonebookimport::fromCsv(data) : rules::vcard::read(data, {});
    if (!imported.problem.isEmpty()) {
        finish(failure(imported.problem));
        return;
    }
    if (!openBook(false)) {
        return;
    }
    // What the import may change can be put back.
    db::TableBackups(backupFolder(job)).takeBeforeChange(tables_.phoneBook, env_.wallClock.now());
    const rules::phonebookimport::Summary summary =
        rules::phonebookimport::importRecords(tables_.phoneBook, imported, job.overwrite, {});
    finish({0, rules::phonebookimport::summaryText(summary).replace(u'\n', u' '), {}});
}

void CommandJobRunner::backup(const CommandJob& job) {
    if (!openBook(true)) {
        return;
    }
    const db::TableBackups backups(backupFolder(job));
    const QString book = backups.take(tables_.phoneBook, env_.wallClock.now());
    const QString calls = backups.take(tables_.archive, env_.wallClock.now());
    finish({0, QStringLiteral("バックアップしました: %1 %2").arg(book, calls), {}});
}

void CommandJobRunner::restore(const CommandJob& job) {
    // The running program's open tables cannot be replaced under it.
    if (!own_) {
        finish(failure(TablesInUse));
        return;
    }
    const QString name = QFileInfo(job.file).fileName();
    std::optional<db::BackupKind> kind = db::TableBackups::kindOfName(name);
    if (!kind) {
        kind = db::TableBackups::problemOf(db::BackupKind::Archive, job.file).isEmpty()
                   ? db::BackupKind::Archive
                   : db::BackupKind::PhoneBook;
    }
    const db::TableBackups backups(backupFolder(job));
    backups.restore(*kind, job.file, env_.tableFolder, env_.wallClock.now());
    finish({0,
            QStringLiteral("%1 を戻しました。置き換えた表は %2 に残しました。")
                .arg(job.file, backups.folder()),
            {}});
}
