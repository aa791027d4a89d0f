#include "app/commandjobrunner.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

#include "app/startup.h"
#include "db/databaseerror.h"
#include "db/tablebackups.h"
#include "protocol/secondsscale.h"
#include "rules/archivesearch.h"
#include "rules/password.h"
#include "rules/phonebookexport.h"
#include "rules/phonebookimport.h"
#include "rules/vcard.h"
#include "windows/archivecsv.h"
#include "windows/archivemodel.h"

namespace {

constexpr int QuietCheckMs = 50;

JobResult failure(const QString& error) {
    return {1, {}, error};
}

QString tableProblem(const db::DatabaseError& e) {
    return e.fileInUse() ? QStringLiteral(
                               "表は起動中の Tilka が使っています。Tilka "
                               "を終了してからやり直してください。")
                         : e.text();
}

bool isCsv(const QString& path) {
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

}  // namespace

CommandJobRunner::CommandJobRunner(JobEnvironment environment)
    : env_(std::move(environment)),
      link_(state_, env_.timers, env_.wallClock, env_.ports),
      callLog_(env_.tableFolder),
      phoneBook_(env_.tableFolder),
      archive_(env_.tableFolder, protocol::monthOfMoment),
      logImport_(state_, callLog_, phoneBook_, archive_),
      quietCheck_(env_.timers) {
    startup::loadSettings(state_, env_.settingsPath);
    link_.usePort(state_.settings.comPort);
    numbers_.setHyphens(startup::hyphenatedNumbers(env_.settingsPath));
    quietCheck_.onElapsed = [this] {
        if (!link_.download().inProgress() && !link_.tel2LogModeTimer().running() &&
            !link_.portCloseTimer().running()) {
            quietCheck_.setInterval(0);
            finish(pending_);
        }
    };
}

CommandJobRunner::~CommandJobRunner() = default;

void CommandJobRunner::run(const CommandJob& job, std::function<void(const JobResult&)> done) {
    done_ = std::move(done);
    try {
        switch (job.kind) {
            case CommandJob::Kind::Download:
                download(job);
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

bool CommandJobRunner::openBook(bool withArchive) {
    try {
        if (!phoneBook_.fileExists()) {
            phoneBook_.createTable();
        }
        phoneBook_.setExclusive(true);
        phoneBook_.open();
        if (withArchive) {
            archive_.setExclusive(true);
            archive_.open();
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
    const startup::Outcome opened = startup::openTables(state_, {callLog_, phoneBook_, archive_});
    if (opened.failed()) {
        finish(failure(opened.tablesInUse
                           ? QStringLiteral("表は起動中の Tilka が使っています。Tilka "
                                            "を終了してからやり直してください。")
                           : opened.error));
        return;
    }
    // The password the user gave, else the one the options saved.
    if (job.passwordNumber) {
        state_.enteredPasswordCode = rules::passwordCodeOf(*job.passwordNumber);
    } else if (state_.settings.passwordCode > 0) {
        state_.enteredPasswordCode = state_.settings.passwordCode;
    }
    connectDownload(job.passwordNumber.has_value());
    link_.startDownload();
}

void CommandJobRunner::connectDownload(bool passwordGiven) {
    const adapter::LogDownload* download = &link_.download();
    QObject::connect(download, &adapter::LogDownload::imageReady, [this] {
        const rules::LogImportResult result = logImport_.importDownload(env_.wallClock.now());
        if (!result.error.isEmpty()) {
            finishWhenQuiet(failure(result.error));
            return;
        }
        finishWhenQuiet({0,
                         QStringLiteral("%1 件を受信、うち新規 %2 件")
                             .arg(result.rows)
                             .arg(result.archivedCalls),
                         {}});
    });
    QObject::connect(download, &adapter::LogDownload::failed, [this] {
        finishWhenQuiet(failure(QStringLiteral(
            "アダプターが応答しません。ケーブルと電源、ポートの設定を確かめてください。")));
    });
    QObject::connect(download, &adapter::LogDownload::portUnavailable, [this] {
        QString text =
            QStringLiteral("ポート COM%1 を開けません。既に使われているか利用できません。")
                .arg(state_.settings.comPort);
        if (link_.portOpenDenied()) {
            text += QStringLiteral(
                "ポートを使う権限がありません。dialout "
                "グループに加わり、ログインし直してください。");
        }
        finish(failure(text));
    });
    QObject::connect(download, &adapter::LogDownload::passwordNeeded, [this, passwordGiven] {
        link_.abandonDownload();
        finishWhenQuiet(failure(
            passwordGiven ? QStringLiteral("パスワードが違います。")
                          : QStringLiteral("アダプターがパスワードを求めています。--password "
                                           "で指定してください。")));
    });
}

void CommandJobRunner::exportArchive(const CommandJob& job) {
    if (!openBook(true)) {
        return;
    }
    db::ArchiveQuery query;
    rules::setArchiveSearch(query, job.search, numbers_, archive_, phoneBook_);
    query.kindText = job.kindText;
    if (job.from) {
        query.from = protocol::adapterSecondsOf(QDateTime(*job.from, QTime(0, 0)));
    }
    if (job.to) {
        query.to = protocol::adapterSecondsOf(QDateTime(*job.to, QTime(23, 59, 59)));
    }
    const ArchiveModel model(archive_, phoneBook_, numbers_);
    const rules::csv::RowSource rows = archiveCsvRows(model, archive_, query);
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
    const QString problem = isCsv(job.file)
                                ? rules::writePhoneBookCsv(phoneBook_, job.file, job.encoding)
                                : rules::writeVCardFile(phoneBook_.allRecords(), job.file);
    if (!problem.isEmpty()) {
        finish(failure(problem));
        return;
    }
    finish({0,
            QStringLiteral("%1 件を書き出しました: %2").arg(phoneBook_.recordCount()).arg(job.file),
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
    db::TableBackups(backupFolder(job)).take(phoneBook_, env_.wallClock.now());
    const rules::phonebookimport::Summary summary =
        rules::phonebookimport::importRecords(phoneBook_, imported, job.overwrite, {});
    finish({0, rules::phonebookimport::summaryText(summary).replace(u'\n', u' '), {}});
}

void CommandJobRunner::backup(const CommandJob& job) {
    if (!openBook(true)) {
        return;
    }
    const db::TableBackups backups(backupFolder(job));
    const QString book = backups.take(phoneBook_, env_.wallClock.now());
    const QString calls = backups.take(archive_, env_.wallClock.now());
    finish({0, QStringLiteral("バックアップしました: %1 %2").arg(book, calls), {}});
}

void CommandJobRunner::restore(const CommandJob& job) {
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
