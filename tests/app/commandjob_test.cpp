// The command line's jobs, widget-free: parsed arguments, then each job against the simulated
// adapter and real table files, with its exit code and the line it prints.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/commandjobrunner.h"
#include "app/commandline.h"
#include "db/archiveoutbox.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"
#include "db/tablebackups.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "support/files.h"
#include "support/scripteddialogs.h"
#include "support/testserver.h"
#include "ui/manualclock.h"

namespace {

CommandJob jobOf(const QStringList& arguments) {
    const CommandLine line =
        parseCommandLine(QStringList{QStringLiteral("tilka")} + arguments, true);
    return line.job.value_or(CommandJob{});
}

db::UserRecord person(const QString& name, const QString& tel2) {
    db::UserRecord r;
    r.name = name;
    r.tel2 = tel2;
    return r;
}

// One folder of tables with the simulated adapter on COM1.
struct Jobs {
    Jobs()
        : adapter(hgsim::HgConfig{}, [this] { return wallClock.now(); }), ports(adapter, clock) {}

    JobResult run(const QStringList& arguments) {
        CommandJobRunner runner(
            {clock, wallClock, ports, dir.filePath(QStringLiteral("tilka.Ini")), dir.path()});
        std::optional<JobResult> result;
        runner.run(jobOf(arguments), [&result](const JobResult& r) { result = r; });
        for (int i = 0; i < 100 && !result; ++i) {
            clock.advance(200);
        }
        return result.value_or(JobResult{-1, {}, QStringLiteral("no result")});
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ui::ManualClock clock;
    FixedWallClock wallClock;
    hgsim::HgAdapter adapter;
    hgsim::SimSerialDeviceFactory ports;
};

}  // namespace

class CommandJobTest : public QObject {
    Q_OBJECT
private slots:
    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("two jobs") << QStringList{"--download", "--backup"};
        QTest::newRow("bad password") << QStringList{"--download", "--password", "12a"};
        QTest::newRow("password without download") << QStringList{"--backup", "--password", "1"};
        QTest::newRow("bad duplicate rule")
            << QStringList{"--import", "a.vcf", "--on-duplicate", "x"};
        QTest::newRow("import of a text file") << QStringList{"--import", "a.txt"};
        QTest::newRow("stray argument") << QStringList{"--download", "now"};
        QTest::newRow("unknown option") << QStringList{"--bogus"};
        QTest::newRow("background with a job") << QStringList{"--background", "--download"};
        QTest::newRow("printout not a PDF") << QStringList{"--print-archive", "calls.csv"};
        QTest::newRow("bad date") << QStringList{"--export-archive", "a.csv", "--to", "2026-13-01"};
        QTest::newRow("filter without export") << QStringList{"--download", "--kind", "incoming"};
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        const CommandLine line = parseCommandLine(QStringList{"tilka"} + arguments, false);
        QVERIFY(!line.usageError.isEmpty());
        QVERIFY(!line.job);
    }

    void jobsAndTheirValues() {
        QVERIFY(!parseCommandLine({"tilka"}, true).job);
        QVERIFY(parseCommandLine({"tilka", "--background"}, true).background);
        const CommandJob backup = jobOf({"--backup", "/srv/nas"});
        QCOMPARE(backup.kind, CommandJob::Kind::Backup);
        QCOMPARE(backup.folder, QStringLiteral("/srv/nas"));
        const CommandJob import = jobOf({"--import", "a.VCF", "--on-duplicate", "overwrite"});
        QCOMPARE(import.kind, CommandJob::Kind::Import);
        QVERIFY(import.overwrite);
        QCOMPARE(jobOf({"--download", "--password", "122"}).passwordNumber, 122);
        QVERIFY(parseCommandLine({"tilka", "--help"}, true).text.contains("終了コード"));
        QVERIFY(parseCommandLine({"tilka", "--help"}, false).text.contains("Exit codes"));
    }

    void downloadTwiceArchivesEachCallOnce() {
        Jobs j;
        const int calls = static_cast<int>(j.adapter.config().calls.size());
        JobResult r = j.run({"--download"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        QCOMPARE(r.output, QStringLiteral("%1 件を受信、うち新規 %1 件").arg(calls));
        QVERIFY(!j.ports.line->open);
        r = j.run({"--download"});
        QCOMPARE(r.output, QStringLiteral("%1 件を受信、うち新規 0 件").arg(calls));

        // The archive's export with the window's filters.
        const QString out = j.path(QStringLiteral("calls.csv"));
        r = j.run({"--export-archive", out});
        QCOMPARE(r.output, QStringLiteral("%1 件を書き出しました: %2").arg(calls).arg(out));
        const QStringList lines = QString::fromUtf8(readFile(out)).split(QStringLiteral("\r\n"));
        QVERIFY2(lines.first().endsWith(QStringLiteral("地域")), qPrintable(lines.first()));
        const QString number = QString::fromLatin1(j.adapter.config().calls.front().number);
        r = j.run({"--export-archive", out, "--search", number});
        QVERIFY2(!r.output.startsWith(QStringLiteral("0 件")), qPrintable(r.output));
        QVERIFY(QString::fromUtf8(readFile(out)).contains(number));
        r = j.run({"--export-archive", out, "--from", "2027-01-01"});
        QVERIFY2(r.output.startsWith(QStringLiteral("0 件")), qPrintable(r.output));
    }

    // With the office's server away a download still goes through and its calls wait on this
    // PC; the next download that reaches the server takes them there, each once.
    void downloadWhileTheServerIsAway() {
        Jobs j;
        const int calls = static_cast<int>(j.adapter.config().calls.size());
        writeFile(j.path(QStringLiteral("tilka.Ini")),
                  "[Store]\nKind=1\nHost=127.0.0.1\nPort=1\nDatabase=tilka\nUser=tilka\n");
        JobResult r = j.run({"--download"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        QCOMPARE(
            r.output,
            QStringLiteral("%1 件を受信、うち新規 0 件、サーバーへの送信待ち %1 件").arg(calls));
        QCOMPARE(db::ArchiveOutbox(j.dir.path()).count(), calls);

        if (!TestServerDatabase::serverGiven()) {
            QSKIP("no PostgreSQL server named by PGHOST");
        }
        TestServerDatabase server;
        QVERIFY2(server.problem().isEmpty(), qPrintable(server.problem()));
        writeFile(j.path(QStringLiteral("tilka.Ini")), server.settingsFileSection());
        j.adapter.config().calls.pop_back();
        r = j.run({"--download"});
        QCOMPARE(r.output,
                 QStringLiteral("%1 件を受信、うち新規 %1 件、送信待ちだった新規 1 件をサーバーへ")
                     .arg(calls - 1));
        QCOMPARE(db::ArchiveOutbox(j.dir.path()).count(), 0);
    }

    void downloadFailures() {
        Jobs j;
        j.adapter.config().passwordCode = 123;
        JobResult r = j.run({"--download"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.error.contains("--password"), qPrintable(r.error));
        QVERIFY(!j.ports.line->open);
        r = j.run({"--download", "--password", "5"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.error, QStringLiteral("パスワードが違います。"));
        r = j.run({"--download", "--password", "122"});
        QCOMPARE(r.exitCode, 0);

        j.adapter.config().replyDelayMs = 100000;
        r = j.run({"--download"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.error.contains("応答しません"), qPrintable(r.error));

        writeFile(j.path("tilka.Ini"), "[RS232C]\nCOM=2\n");
        r = j.run({"--download"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.error.contains("COM2"), qPrintable(r.error));
    }

    // A vCard file another program wrote goes in; the export of the result comes back in; the
    // import took a backup first; an unwritable target fails with its reason.
    void importAndExportThePhoneBook() {
        Jobs j;
        const QString card = qEnvironmentVariable("TILKA_TEST_DATA") +
                             QStringLiteral("/vcard-public/John_Doe_ANDROID.vcf");
        JobResult r = j.run({"--import", card});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        QCOMPARE(db::TableBackups(j.path("backup")).list(db::BackupKind::PhoneBook).size(), 1);
        const auto countIn = [](const QString& folder) {
            db::PhoneBookTable book(folder);
            book.open();
            return book.recordCount();
        };
        const int cards = countIn(j.dir.path());
        QVERIFY(cards > 1);
        r = j.run({"--export-phonebook", j.path("out.vcf")});
        QCOMPARE(r.output,
                 QStringLiteral("%1 件を書き出しました: %2").arg(cards).arg(j.path("out.vcf")));
        r = j.run({"--export-phonebook", j.path("sjis.csv"), "--encoding", "cp932"});
        QCOMPARE(r.exitCode, 0);
        r = j.run({"--export-phonebook", j.path("out.csv")});
        QCOMPARE(r.exitCode, 0);

        Jobs other;
        r = other.run({"--import", j.path("out.csv")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.error));
        QCOMPARE(countIn(other.dir.path()), cards);
        // The same cards again: every one is there already and kept.
        r = other.run({"--import", j.path("out.vcf")});
        QVERIFY2(r.output.contains(QString::number(cards)), qPrintable(r.output));
        QCOMPARE(countIn(other.dir.path()), cards);

        r = j.run({"--export-phonebook", "/nonexistent/book.csv"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!r.error.isEmpty());
    }

    // The copy of a table in use is intact and holds its rows; a damaged file is never put back;
    // a good one is, keeping the replaced table as a backup.
    void backupAndRestore() {
        QTemporaryDir dir;
        db::PhoneBookTable inUse(dir.path());
        inUse.createTable();
        inUse.setExclusive(true);
        inUse.open();
        inUse.append(person(QStringLiteral("山田"), QStringLiteral("0312345678")));
        inUse.append(person(QStringLiteral("佐藤"), QStringLiteral("0662345678")));
        const db::TableBackups backups(dir.filePath(QStringLiteral("backup")));
        const QDateTime at(QDate(2026, 12, 9), QTime(5, 0));
        const QString copy = backups.take(inUse, at);
        QCOMPARE(db::TableBackups::problemOf(db::BackupKind::PhoneBook, copy), QString());
        QVERIFY(!db::TableBackups::problemOf(db::BackupKind::Archive, copy).isEmpty());
        for (int i = 1; i <= db::TableBackups::Kept + 2; ++i) {
            backups.take(inUse, at.addDays(i));
        }
        const QList<db::BackupFile> kept = backups.list(db::BackupKind::PhoneBook);
        QCOMPARE(kept.size(), db::TableBackups::Kept);
        QCOMPARE(kept.first().takenAt, at.addDays(db::TableBackups::Kept + 2));
        // A table another run holds is not replaced.
        QVERIFY_THROWS_EXCEPTION(
            db::DatabaseError,
            backups.restore(db::BackupKind::PhoneBook, kept.last().path, dir.path(), at));
        inUse.close();

        QTemporaryDir elsewhere;
        backups.restore(db::BackupKind::PhoneBook, kept.last().path, elsewhere.path(), at);
        db::PhoneBookTable restored(elsewhere.path());
        restored.open();
        QCOMPARE(restored.recordCount(), 2);
        restored.close();

        const QString damaged = dir.filePath(QStringLiteral("Userdat-20261201-000000.db"));
        QByteArray bytes = readFile(kept.first().path);
        bytes.replace(bytes.size() / 2, 512, QByteArray(512, '\x5a'));
        writeFile(damaged, bytes.left(bytes.size() - 100));
        const QByteArray before = readFile(dir.filePath(QStringLiteral("Userdat.db")));
        QVERIFY_THROWS_EXCEPTION(
            db::DatabaseError, backups.restore(db::BackupKind::PhoneBook, damaged, dir.path(), at));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("Userdat.db"))), before);
    }

    // The program itself: a job needs no display, and its exit code and message reach the shell.
    void theProgramsExitCodes() {
        QTemporaryDir dir;
        QProcess tilka;
        tilka.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        tilka.setProcessEnvironment(env);
        const QString program = qEnvironmentVariable("TILKA_BINARY");
        tilka.start(program, {"--export-phonebook", "/nonexistent/book.vcf"});
        QVERIFY(tilka.waitForFinished(20000));
        QCOMPARE(tilka.exitCode(), 1);
        QVERIFY(!tilka.readAllStandardError().isEmpty());
        tilka.start(program, {"--backup", "a", "b"});
        QVERIFY(tilka.waitForFinished(20000));
        QCOMPARE(tilka.exitCode(), 2);
        tilka.start(program, {"--export-phonebook", dir.filePath("book.vcf")});
        QVERIFY(tilka.waitForFinished(20000));
        QCOMPARE(tilka.exitCode(), 0);
        QVERIFY(tilka.readAllStandardOutput().startsWith("0 件を書き出しました"));
        // A printout without a display: the pages are drawn off screen.
        tilka.start(program, {"--print-archive", dir.filePath("calls.pdf"), "--kind", "incoming"});
        QVERIFY(tilka.waitForFinished(20000));
        QCOMPARE(tilka.exitCode(), 0);
        QVERIFY(readFile(dir.filePath("calls.pdf")).startsWith("%PDF"));
    }
};

QTEST_GUILESS_MAIN(CommandJobTest)
#include "commandjob_test.moc"
