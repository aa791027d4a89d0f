#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "db/archiveoutbox.h"
#include "db/callarchive.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"
#include "protocol/secondsscale.h"
#include "rules/logimport.h"
#include "state/programstate.h"
#include "support/logimagebytes.h"
#include "support/testserver.h"

namespace {

QString dataPath(const QString& name) {
    return qEnvironmentVariable("TILKA_TEST_DATA") + QStringLiteral("/logimage/") + name;
}

QByteArray readData(const QString& name) {
    QFile f(dataPath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList fieldsOf(const db::LogRow& r) {
    return {r.logNo, r.ports, r.kind, r.name, r.number, r.duration, r.charge, r.callTime};
}

db::UserRecord person(const QString& name, const QString& tel2) {
    db::UserRecord r;
    r.name = name;
    r.tel = tel2;
    r.tel2 = tel2;
    return r;
}

// Sends what waits in the outbox; false while the server does not answer.
bool sendWaiting(rules::LogImport& import, int& added) {
    try {
        added = import.sendWaitingCalls();
        return true;
    } catch (const db::DatabaseError&) {
        return false;
    }
}

// The clock of the worked example: adapter clock 1000000, PC ahead by 36000000 s.
void setClock(appstate::ProgramState& s, int32_t hgTimeSetting = 99) {
    s.hgClockSeconds = 1000000;
    s.clockDifference = 36000000;
    s.settings.clockDriftSetting = hgTimeSetting;
}

// The three tables in a folder of their own, opened as the program opens them, and the import.
struct Tables {
    explicit Tables(const QString& folder = QString())
        : path(folder.isEmpty() ? own.path() : folder),
          log(path),
          users(path),
          archive(path, protocol::monthOfMoment),
          outbox(path),
          import(state, log, users, archive, outbox) {
        if (!users.fileExists()) {
            users.createTable();
        }
        users.open();
        setClock(state);
    }
    db::UserRecord record(const QString& name) {
        users.gotoName(name);
        return users.current().value_or(db::UserRecord{});
    }
    QStringList lastCall(const QString& name) {
        const db::UserRecord r = record(name);
        return {r.lastCall, r.callTime, r.charges};
    }
    // What the call log window's panels show of the last import.
    QStringList panels() const {
        return {rules::totalChargeText(result.totalCharge), rules::entryCountText(result.rows),
                QString::number(result.memoryFill)};
    }
    void convert() { result = import.importHeld(); }

    QTemporaryDir own;
    QString path;
    appstate::ProgramState state;
    db::CallLogTable log;
    db::PhoneBookTable users;
    db::CallArchive archive;
    db::ArchiveOutbox outbox;
    rules::LogImport import;
    rules::LogImportResult result;
};

}  // namespace

class LogImportTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample_data() {
        QTest::addColumn<int>("hgTimeSetting");
        QTest::newRow("no drift") << 99;
        QTest::newRow("2 s an hour") << 101;
    }
    void workedExample() {
        QFETCH(int, hgTimeSetting);
        Tables s;
        setClock(s.state, hgTimeSetting);
        putLogImage(s.state,
                    QByteArray::fromHex("0102000F1B30000F1BAD0050303331323334353637380000"));
        s.convert();
        QCOMPARE(s.log.rowCount(), 1);
        QCOMPARE(fieldsOf(s.log.row(0)),
                 (QStringList{"1", QStringLiteral("１　　"), QStringLiteral("▽着信"), QString(),
                              "0312345678", "00:02:05", QStringLiteral("80 円"), "03/04 03:00"}));
        QCOMPARE(s.panels(), (QStringList{QStringLiteral("80 円 "), QStringLiteral("1 件"), "1"}));
        QVERIFY(s.result.error.isEmpty());
    }

    void sampleImageRows() {
        Tables s;
        s.users.append(person(QStringLiteral("山田"), "0312345678"));
        const QByteArray image = readData(QStringLiteral("sample.tas"));
        QCOMPARE(image.size(), 4000);
        putLogImage(s.state, image);
        s.convert();

        QList<QStringList> expected;
        for (const QByteArray& line : readData(QStringLiteral("sample-rows.tsv")).split('\n')) {
            if (!line.isEmpty() && !line.startsWith('#')) {
                expected << QString::fromUtf8(line).split(u'\t');
            }
        }
        QCOMPARE(expected.size(), 8);
        QCOMPARE(s.log.rowCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(fieldsOf(s.log.row(i)), expected[i]);
        }
        // 176 bytes of entries: 6 percent of the log area.
        QCOMPARE(s.panels(),
                 (QStringList{QStringLiteral("66860 円 "), QStringLiteral("8 件"), "6"}));
        // The answering-machine entry of the same number left the record as the call set it.
        QCOMPARE(s.lastCall(QStringLiteral("山田")),
                 (QStringList{"03/04 03:00", "00:02:05", QStringLiteral("80 円")}));
        QCOMPARE(s.users.index(), db::PhoneBookTable::Index::Tel2);
    }

    void emptyImageEmptiesTheTable() {
        Tables s;
        putLogImage(s.state, readData(QStringLiteral("sample.tas")));
        s.convert();
        QCOMPARE(s.log.rowCount(), 8);
        s.state.logImage.markEmpty();
        s.convert();
        QCOMPARE(s.log.rowCount(), 0);
        QCOMPARE(s.panels(), (QStringList{QStringLiteral("0 円 "), QStringLiteral("0 件"), "0"}));
        // The file holds no rows either.
        s.log.close();
        s.log.open();
        QCOMPARE(s.log.rowCount(), 0);
    }

    void sharedNumbersAndAnsweringMachine() {
        Tables s;
        s.users.append(person(QStringLiteral("佐藤"), "0611112222"));
        s.users.append(person(QStringLiteral("加藤"), "0611112222"));
        s.users.append(person(QStringLiteral("山田"), "0312345678"));
        s.users.append(person(QStringLiteral("田中"), "0312345678*12"));
        const QByteArray bytes = logEntryBytes({1, 1, 990000, 990065, 20, "06-1111-2222", {}}) +
                                 logEntryBytes({1, 2, 993600, 993610, 0, "0611112222", {}}) +
                                 logEntryBytes({2, 1, 0, 997200, 0, "0611112222", {}}) +
                                 logEntryBytes({1, 2, 990000, 990030, 5, "0312345678", "12"}) +
                                 logEntryBytes({2, 2, 0, 990000, 0, "0312345678", {}}) +
                                 logEntryBytes({1, 1, 990000, 990001, 0, "0399999999", {}}) +
                                 logEntryBytes({1, 1, 997200, 997205, 3, "0611112222", {}});
        putLogImage(s.state, bytes);
        s.convert();
        QCOMPARE(s.log.rowCount(), 7);
        QStringList names;
        for (int i = 0; i < 7; ++i) {
            names << s.log.row(i).name;
        }
        // 佐藤 sorts before 加藤 among the records sharing the number.
        QCOMPARE(names, (QStringList{QStringLiteral("佐藤"), QStringLiteral("佐藤"),
                                     QStringLiteral("佐藤"), QStringLiteral("田中"),
                                     QStringLiteral("山田"), QString(), QStringLiteral("佐藤")}));
        // The last call in image order wins, also after other records were written in between;
        // answering-machine entries write nothing.
        QCOMPARE(s.lastCall(QStringLiteral("佐藤")),
                 (QStringList{"03/04 05:00", "00:00:05", QStringLiteral("3 円")}));
        QCOMPARE(s.lastCall(QStringLiteral("加藤")), (QStringList{"", "", ""}));
        QCOMPARE(s.lastCall(QStringLiteral("山田")), (QStringList{"", "", ""}));
        QCOMPARE(s.lastCall(QStringLiteral("田中")),
                 (QStringList{"03/04 03:00", "00:00:30", QStringLiteral("5 円")}));
    }

    void callWithoutNumberBelongsToNoRecord() {
        Tables s;
        // A TEL without digits leaves the record an empty look-up number.
        s.users.append(person(QStringLiteral("番号なし"), QString()));
        putLogImage(s.state, logEntryBytes({1, 1, 990000, 990065, 20, "", {}}));
        s.convert();
        QCOMPARE(s.log.rowCount(), 1);
        QCOMPARE(s.log.row(0).name, QString());
        QCOMPARE(s.lastCall(QStringLiteral("番号なし")), (QStringList{"", "", ""}));
    }

    void longNumberIsCutInTheRowButLookedUpWhole() {
        Tables s;
        const QByteArray number(23, '1');
        const QByteArray sub(21, '2');
        const QString whole = QString::fromLatin1(number + '*' + sub);
        // The record holds the first 30 characters, all its number field keeps.
        s.users.append(person(QStringLiteral("長い"), whole.left(30)));
        putLogImage(s.state, logEntryBytes({1, 1, 990000, 990001, 0, number, sub}) +
                                 logEntryBytes({1, 1, 990000, 990001, 0, number, "222222"}));
        s.convert();
        QCOMPARE(s.log.row(0).number, whole.left(30));
        QCOMPARE(s.log.row(0).name, QString());
        QCOMPARE(s.log.row(1).number, whole.left(30));
        QCOMPARE(s.log.row(1).name, QStringLiteral("長い"));
    }

    void fullLogSetsTheGaugeToItsEnd() {
        Tables s;
        QByteArray bytes;
        for (int i = 0; i < 230; ++i) {
            bytes += logEntryBytes({1, 1, 990000, 990000 + i, 1, {}, {}});
        }
        putLogImage(s.state, bytes);
        s.convert();
        QCOMPARE(s.log.rowCount(), 215);
        QCOMPARE(s.log.row(214).logNo, QStringLiteral("215"));
        QCOMPARE(s.log.row(214).duration, QStringLiteral("00:03:34"));
        QCOMPARE(s.panels(),
                 (QStringList{QStringLiteral("215 円 "), QStringLiteral("215 件"), "100"}));
    }

    void engineFailureKeepsWhatWasWritten() {
        QTemporaryDir dir;
        {
            db::PhoneBookTable book(dir.path());
            book.createTable();
            book.open();
            book.append(person(QStringLiteral("山田"), "0312345678"));
            book.append(person(QStringLiteral("鈴木"), "0698765432"));
            book.close();
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
            raw.setDatabaseName(dir.filePath(QStringLiteral("Userdat.db")));
            QVERIFY(raw.open());
            QSqlQuery q(raw);
            QVERIFY(q.exec(QStringLiteral(
                "CREATE TRIGGER refuse BEFORE UPDATE ON \"Userdat\" WHEN OLD.\"氏名\" = '鈴木' "
                "BEGIN SELECT RAISE(ABORT, 'refused by trigger'); END")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));

        Tables s(dir.path());
        s.state.logImage.markEmpty();
        s.convert();
        putLogImage(s.state, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}) +
                                 logEntryBytes({1, 2, 990000, 990010, 0, "0600000000", {}}) +
                                 logEntryBytes({1, 1, 990000, 990005, 0, "0698765432", {}}) +
                                 logEntryBytes({1, 1, 990000, 990005, 0, "0111111111", {}}));
        s.convert();
        QVERIFY2(s.result.error.contains(QStringLiteral("refused by trigger")),
                 qPrintable(s.result.error));
        QCOMPARE(s.log.rowCount(), 2);
        // Both tables committed what they had: the rows are in the file, the record updated.
        s.log.close();
        s.log.open();
        QCOMPARE(s.log.rowCount(), 2);
        QCOMPARE(s.log.row(1).number, QStringLiteral("0600000000"));
        QCOMPARE(s.lastCall(QStringLiteral("山田")),
                 (QStringList{"03/04 03:00", "00:01:05", QStringLiteral("20 円")}));
        // The conversion ended before its totals, which the window therefore keeps.
        QVERIFY(!s.result.converted);
    }

    // A download's calls reach the archive once, a held image's never; the newest calls are those
    // later than any the archive held.
    void downloadsReachTheArchive() {
        Tables s;
        s.archive.open();
        const QDateTime at(QDate(2026, 3, 4), QTime(12, 0));
        putLogImage(s.state, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}));
        s.result = s.import.importHeld();
        QCOMPARE(s.result.archivedCalls, 0);
        QCOMPARE(s.archive.totals({}).count, 0);
        s.result = s.import.importDownload(at);
        QCOMPARE(s.result.archivedCalls, 1);
        QCOMPARE(s.result.newestCalls.size(), size_t{1});
        QCOMPARE(s.result.newestCalls[0].row.number, QStringLiteral("0312345678"));
        putLogImage(s.state, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}) +
                                 logEntryBytes({1, 1, 980000, 980005, 5, "0399999999", {}}));
        s.result = s.import.importDownload(at);
        QCOMPARE(s.result.archivedCalls, 1);
        QVERIFY(s.result.newestCalls.empty());
        QCOMPARE(s.archive.totals({}).count, 2);
        QVERIFY(!s.result.archiveUnavailable);
        QVERIFY(s.result.error.isEmpty());
    }

    // An archive that cannot be used is said, in Japanese and naming the file; the call log is
    // converted all the same.
    void archiveProblemsAreSaid() {
        Tables s;
        putLogImage(s.state, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}));
        s.result = s.import.importDownload(QDateTime::currentDateTime());
        QVERIFY(s.result.archiveUnavailable);
        QVERIFY(s.result.converted);
        QVERIFY(s.result.error.isEmpty());

        s.archive.open();
        s.archive.close();
        {
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
            raw.setDatabaseName(s.archive.path());
            QVERIFY(raw.open());
            QSqlQuery q(raw);
            QVERIFY(
                q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Archive "
                                      "BEGIN SELECT RAISE(ABORT, 'refused by trigger'); END")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        s.archive.open();
        s.result = s.import.importDownload(QDateTime::currentDateTime());
        QVERIFY(s.result.converted);
        QCOMPARE(s.log.rowCount(), 1);
        QCOMPARE(s.result.archivedCalls, 0);
        for (const QString& part :
             {QStringLiteral("通話履歴ファイル"), s.archive.path(),
              QStringLiteral("保存されていません"), QStringLiteral("refused by trigger")}) {
            QVERIFY2(s.result.error.contains(part), qPrintable(s.result.error));
        }
    }

    // The office's server stopped between two downloads: the second still fills the call log,
    // without names, and its calls wait on this PC. Once the server is back they reach the
    // archive each once, totals included, the open lists read anew, and the phone book names the
    // callers again.
    void serverAwayLosesNoCall() {
        if (!TestServerDatabase::serverGiven()) {
            QSKIP("no PostgreSQL server for the tests");
        }
        TestServerCluster server;
        QVERIFY2(server.problem().isEmpty(), qPrintable(server.problem()));
        Tables s;
        s.users.useServer(server.settings());
        s.users.open();
        s.archive.useServer(server.settings());
        s.archive.open();
        s.users.append(person(QStringLiteral("山田"), "0312345678"));
        const QByteArray known = logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}});
        const QDateTime at(QDate(2026, 3, 4), QTime(12, 0));
        putLogImage(s.state, known);
        s.result = s.import.importDownload(at);
        QCOMPARE(s.result.archivedCalls, 1);

        int heard = 0;
        s.archive.setChangedElsewhere([&heard] { ++heard; });
        server.halt();
        QVERIFY2(server.problem().isEmpty(), qPrintable(server.problem()));
        putLogImage(s.state, known + logEntryBytes({1, 1, 980000, 980005, 5, "0399999999", {}}) +
                                 logEntryBytes({2, 2, 970000, 970100, 30, "0311112222", {}}));
        s.result = s.import.importDownload(at.addSecs(600));
        QVERIFY(s.result.converted);
        QVERIFY2(s.result.error.isEmpty(), qPrintable(s.result.error));
        QCOMPARE(s.log.rowCount(), 3);
        QCOMPARE(s.log.row(0).name, QString());
        QCOMPARE(s.result.callsWaiting, 3);
        QVERIFY(s.result.notice.contains(QStringLiteral("3 件")));
        QVERIFY(!s.result.everyCallArchived);
        int added = -1;
        QVERIFY(!sendWaiting(s.import, added));
        QCOMPARE(s.outbox.count(), 3);

        server.resume();
        QVERIFY2(server.problem().isEmpty(), qPrintable(server.problem()));
        // A lost connection is tried again after a pause, not at every statement.
        QDeadlineTimer deadline(15000);
        while (!sendWaiting(s.import, added) && !deadline.hasExpired()) {
            QTest::qWait(200);
        }
        QCOMPARE(added, 2);
        QCOMPARE(s.outbox.count(), 0);
        // What other PCs did meanwhile was not heard: a list back on the server reads anew.
        QTRY_VERIFY(heard > 0);
        QCOMPARE(s.import.sendWaitingCalls(), 0);
        QCOMPARE(s.archive.totals({}).count, 3);
        const db::TopNumbers top = s.archive.topNumbers({0, 999912, {}, {}}, 5);
        QCOMPARE(top.byCalls.size(), size_t{3});
        for (const db::NumberTotal& number : top.byCalls) {
            QCOMPARE(number.calls, 1);
        }

        s.result = s.import.importDownload(at.addSecs(1200));
        QVERIFY2(s.result.notice.isEmpty(), qPrintable(s.result.notice));
        QCOMPARE(s.log.row(0).name, QStringLiteral("山田"));
        QVERIFY(s.result.everyCallArchived);
    }
};

QTEST_MAIN(LogImportTest)
#include "logimport_test.moc"
