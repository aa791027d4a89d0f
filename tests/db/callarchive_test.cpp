#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "db/callarchive.h"
#include "db/databaseerror.h"
#include "protocol/secondsscale.h"
#include "support/archivedcalls.h"
#include "support/testserver.h"

namespace {

using testcalls::call;
using testcalls::calls;

const QDateTime Downloaded(QDate(2026, 12, 8), QTime(10, 0));

QStringList numbersOf(const QList<db::ArchiveRow>& rows) {
    QStringList out;
    for (const db::ArchiveRow& r : rows) {
        out << r.row.number;
    }
    return out;
}

// The child of killedWriteLeavesTheArchiveWhole: one huge download, killed while it runs.
int writeForever(const QString& folder) {
    db::CallArchive archive(folder, protocol::monthOfMoment);
    archive.setExclusive(true);
    archive.open();
    std::fputs("writing\n", stdout);
    std::fflush(stdout);
    archive.add(calls(1000, 400000), Downloaded);
    std::fputs("committed\n", stdout);
    return 0;
}

}  // namespace

// Runs once on the file and, where a server is given, once more on the server's shared archive.
class CallArchiveTest : public QObject {
    Q_OBJECT

public:
    explicit CallArchiveTest(bool onServer) : onServer_(onServer) {}

private slots:
    void init() {
        if (onServer_) {
            server_ = std::make_unique<TestServerDatabase>();
            QVERIFY2(server_->problem().isEmpty(), qPrintable(server_->problem()));
        }
    }
    void cleanup() { server_.reset(); }

    void overlappingDownloadsKeepEachCallOnce() {
        QTemporaryDir dir;
        {
            db::CallArchive archive(dir.path(), protocol::monthOfMoment);
            useStore(archive);
            archive.open();
            QCOMPARE(archive.add(calls(1, 10), Downloaded), 10);
            QCOMPARE(archive.add(calls(6, 15), Downloaded.addDays(1)), 5);
            QCOMPARE(archive.add(calls(1, 15), Downloaded.addDays(2)), 0);
            // The same number at another time is another call.
            QCOMPARE(archive.add({call(16, call(1).number)}, Downloaded), 1);
        }
        db::CallArchive reopened(dir.path(), protocol::monthOfMoment);
        useStore(reopened);
        reopened.open();
        QCOMPARE(reopened.totals({}).count, 16);
        const QList<db::ArchiveRow> rows = reopened.rows({}, 100);
        QCOMPARE(rows.size(), 16);
        QCOMPARE(rows.first().row.logNo, QStringLiteral("16"));  // newest first
        QCOMPARE(rows.last().firstDownloaded, Downloaded);
        // Call 6 kept the date it was first downloaded.
        QCOMPARE(rows[10].row.logNo, QStringLiteral("6"));
        QCOMPARE(rows[10].firstDownloaded, Downloaded);
    }

    // Two PCs at one adapter archive its calls once; another office's adapter has its own.
    void linesOfSeveralPCsOnOneServer() {
        if (!onServer_) {
            QSKIP("the file keeps one PC's calls");
        }
        QTemporaryDir dir;
        db::CallArchive first(dir.path(), protocol::monthOfMoment);
        db::CallArchive second(dir.path(), protocol::monthOfMoment);
        db::CallArchive elsewhere(dir.path(), protocol::monthOfMoment);
        appstate::StoreSettings office = server_->settings();
        office.lineName = QStringLiteral("本社");
        first.useServer(office);
        second.useServer(office);
        office.lineName = QStringLiteral("支店");
        elsewhere.useServer(office);
        for (db::CallArchive* archive : {&first, &second, &elsewhere}) {
            archive->open();
        }
        int toldFirst = 0;
        int toldElsewhere = 0;
        first.setChangedElsewhere([&toldFirst] { ++toldFirst; });
        elsewhere.setChangedElsewhere([&toldElsewhere] { ++toldElsewhere; });
        QCOMPARE(first.add(calls(1, 10), Downloaded), 10);
        // The other PCs hear of the new calls within a second; the one that added them does not.
        QTRY_COMPARE_WITH_TIMEOUT(toldElsewhere, 1, 1000);
        QCOMPARE(toldFirst, 0);
        QCOMPARE(second.add(calls(5, 12), Downloaded), 2);
        QCOMPARE(second.countHeld(calls(1, 12)), 12);
        QCOMPARE(elsewhere.add(calls(1, 3), Downloaded), 3);
        QCOMPARE(elsewhere.countHeld(calls(1, 12)), 3);

        db::ArchiveQuery all;
        QCOMPARE(first.totals(all).count, 15);
        db::ArchiveQuery branch;
        branch.lineName = QStringLiteral("支店");
        QCOMPARE(second.totals(branch).count, 3);
        db::ArchiveSpan year;
        year.firstMonth = protocol::monthOfMoment(0);
        year.lastMonth = protocol::monthOfMoment(12 * 1000);
        QCOMPARE(testcalls::callsCounted(first, year), 15);
        year.lineName = QStringLiteral("支店");
        QCOMPARE(testcalls::callsCounted(first, year), 3);
        QCOMPARE(first.lineNames(), (QStringList{QStringLiteral("支店"), QStringLiteral("本社")}));
    }

    void searchFiltersTotalsAndPaging() {
        QTemporaryDir dir;
        db::CallArchive archive(dir.path(), protocol::monthOfMoment);
        useStore(archive);
        archive.open();
        archive.add(calls(1, 250), Downloaded);

        db::ArchiveQuery q;
        q.search = true;
        q.digits = QStringLiteral("0000012");  // trigram search: 12, 120 to 129
        QCOMPARE(archive.totals(q).count, 11);
        QCOMPARE(numbersOf(archive.rows(q, 2)),
                 (QStringList{QStringLiteral("0300000129"), QStringLiteral("0300000128")}));
        q.digits = QStringLiteral("25");  // short: found by scanning, 25, 125, 225 and 250
        QCOMPARE(archive.totals(q).count, 4);
        q.numbers = {QStringLiteral("0300000007"), QStringLiteral("0300000008")};
        QCOMPARE(archive.totals(q).count, 6);
        q.kindText = QStringLiteral("▲発信");
        QCOMPARE(numbersOf(archive.rows(q, 10)),
                 (QStringList{QStringLiteral("0300000225"), QStringLiteral("0300000125"),
                              QStringLiteral("0300000025"), QStringLiteral("0300000007")}));
        q.digits.clear();
        q.numbers.clear();
        QCOMPARE(archive.totals(q).count, 0);  // a search that finds nothing shows nothing

        db::ArchiveQuery f;
        f.port = 3;  // even calls use ports 2 and 3
        f.from = 10000;
        f.to = 20000;
        const db::ArchiveTotals t = archive.totals(f);
        QCOMPARE(t.count, 6);  // 10, 12, ..., 20
        QCOMPARE(t.durationSeconds, 360);
        QCOMPARE(t.charge, 60);
        f.port = 1;
        QCOMPARE(archive.totals(f).count, 5);

        // Pages follow each other without gap or repeat, in any order.
        db::ArchiveQuery byNumber;
        byNumber.sortField = 4;
        byNumber.descending = false;
        QList<db::ArchiveRow> all = archive.rows(byNumber, 100);
        while (true) {
            const QList<db::ArchiveRow> more = archive.rows(byNumber, 100, all.last());
            if (more.isEmpty()) {
                break;
            }
            all += more;
        }
        QCOMPARE(all.size(), 250);
        QCOMPARE(all.first().row.number, QStringLiteral("0300000001"));
        QCOMPARE(all.last().row.number, QStringLiteral("0300000250"));
        int exported = 0;
        archive.forEachRow(byNumber, [&exported](const db::LogRow&, int64_t) { ++exported; });
        QCOMPARE(exported, 250);
    }

    void foreignFileIsRefusedAndKept() {
        if (onServer_) {
            QSKIP("a matter of the file: its format, its lock, its journal");
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(db::CallArchive::fileName());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        db::CallArchive archive(dir.path(), protocol::monthOfMoment);
        try {
            archive.open();
            QFAIL("a foreign file was opened");
        } catch (const db::DatabaseError& e) {
            QVERIFY(e.text().contains(QStringLiteral("not a database")));
            // Said in Japanese: the file, what is wrong, what it means.
            for (const QString& part : {path, QStringLiteral("ファイルが壊れています"),
                                        QStringLiteral("通話履歴は使えません")}) {
                QVERIFY2(e.text().contains(part), e.what());
            }
        }
        QVERIFY(!archive.isOpen());
        QCOMPARE(QFileInfo(path).size(), 4096);
    }

    void secondUserIsRefused() {
        if (onServer_) {
            QSKIP("a matter of the file: its format, its lock, its journal");
        }
        QTemporaryDir dir;
        db::CallArchive first(dir.path(), protocol::monthOfMoment);
        first.setExclusive(true);
        first.open();
        db::CallArchive second(dir.path(), protocol::monthOfMoment);
        second.setExclusive(true);
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError, second.open());
    }

    void killedWriteLeavesTheArchiveWhole() {
        if (onServer_) {
            QSKIP("a matter of the file: its format, its lock, its journal");
        }
        QTemporaryDir dir;
        {
            db::CallArchive archive(dir.path(), protocol::monthOfMoment);
            archive.open();
            archive.add(calls(1, 20), Downloaded);
        }
        const qint64 before = QFileInfo(dir.filePath(db::CallArchive::fileName())).size();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--write-forever"), dir.path()});
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readLine(), QByteArray("writing\n"));
        // Killed once its transaction has reached the file itself, not only the journal.
        QTRY_VERIFY_WITH_TIMEOUT(
            QFileInfo(dir.filePath(db::CallArchive::fileName())).size() > before, 20000);
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY(!child.readAll().contains("committed"));

        db::CallArchive archive(dir.path(), protocol::monthOfMoment);
        archive.open();
        QCOMPARE(archive.totals({}).count, 20);
        QCOMPARE(archive.add(calls(15, 25), Downloaded), 5);
    }

private:
    void useStore(db::CallArchive& archive) {
        if (onServer_) {
            archive.useServer(server_->settings());
        }
    }

    const bool onServer_;
    std::unique_ptr<TestServerDatabase> server_;
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--write-forever") == 0) {
        return writeForever(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    CallArchiveTest onFile(false);
    int failures = QTest::qExec(&onFile, argc, argv);
    if (TestServerDatabase::serverGiven()) {
        CallArchiveTest onServer(true);
        failures += QTest::qExec(&onServer, argc, argv);
    }
    return failures;
}

#include "callarchive_test.moc"
