#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "db/callarchive.h"
#include "db/edatabaseerror.h"
#include "protocol/secondsscale.h"

namespace {

const QDateTime Downloaded(QDate(2026, 12, 8), QTime(10, 0));

// Call i: start 1000·i, outgoing on port 1 for odd i, incoming on ports 2 and 3 for even i.
db::ArchivedCall call(int i, const QString& number = QString()) {
    db::ArchivedCall c;
    c.StartSeconds = 1000 * i;
    c.PortSet = i % 2 ? 1 : 6;
    c.CallKind = i % 2 ? 1 : 2;
    c.Number = number.isEmpty() ? QStringLiteral("03%1").arg(i, 8, 10, QLatin1Char('0')) : number;
    c.DurationSeconds = 60;
    c.Charge = 10;
    c.Moment = 1000 * i;
    c.Row = {QString::number(i),
             QStringLiteral("port"),
             i % 2 ? QStringLiteral("▲発信") : QStringLiteral("▽着信"),
             QStringLiteral("name"),
             c.Number,
             QStringLiteral("00:01:00"),
             QStringLiteral("10 円"),
             QStringLiteral("12/08 10:00")};
    return c;
}

std::vector<db::ArchivedCall> calls(int first, int last) {
    std::vector<db::ArchivedCall> out;
    for (int i = first; i <= last; ++i) {
        out.push_back(call(i));
    }
    return out;
}

QStringList numbersOf(const QList<db::ArchiveRow>& rows) {
    QStringList out;
    for (const db::ArchiveRow& r : rows) {
        out << r.Row.Number;
    }
    return out;
}

// The child of killedWriteLeavesTheArchiveWhole: one huge download, killed while it runs.
int writeForever(const QString& folder) {
    db::CallArchive archive(folder, calllog::monthOfMoment);
    archive.setExclusive(true);
    archive.open();
    std::fputs("writing\n", stdout);
    std::fflush(stdout);
    archive.add(calls(1000, 400000), Downloaded);
    std::fputs("committed\n", stdout);
    return 0;
}

}  // namespace

class CallArchiveTest : public QObject {
    Q_OBJECT
private slots:
    void overlappingDownloadsKeepEachCallOnce() {
        QTemporaryDir dir;
        {
            db::CallArchive archive(dir.path(), calllog::monthOfMoment);
            archive.open();
            QCOMPARE(archive.add(calls(1, 10), Downloaded), 10);
            QCOMPARE(archive.add(calls(6, 15), Downloaded.addDays(1)), 5);
            QCOMPARE(archive.add(calls(1, 15), Downloaded.addDays(2)), 0);
            // The same number at another time is another call.
            QCOMPARE(archive.add({call(16, call(1).Number)}, Downloaded), 1);
        }
        db::CallArchive reopened(dir.path(), calllog::monthOfMoment);
        reopened.open();
        QCOMPARE(reopened.totals({}).Count, 16);
        const QList<db::ArchiveRow> rows = reopened.rows({}, 100);
        QCOMPARE(rows.size(), 16);
        QCOMPARE(rows.first().Row.LogNo, QStringLiteral("16"));  // newest first
        QCOMPARE(rows.last().FirstDownloaded, Downloaded);
        // Call 6 kept the date it was first downloaded.
        QCOMPARE(rows[10].Row.LogNo, QStringLiteral("6"));
        QCOMPARE(rows[10].FirstDownloaded, Downloaded);
    }

    void searchFiltersTotalsAndPaging() {
        QTemporaryDir dir;
        db::CallArchive archive(dir.path(), calllog::monthOfMoment);
        archive.open();
        archive.add(calls(1, 250), Downloaded);

        db::ArchiveQuery q;
        q.Search = true;
        q.Digits = QStringLiteral("0000012");  // trigram search: 12, 120 to 129
        QCOMPARE(archive.totals(q).Count, 11);
        QCOMPARE(numbersOf(archive.rows(q, 2)),
                 (QStringList{QStringLiteral("0300000129"), QStringLiteral("0300000128")}));
        q.Digits = QStringLiteral("25");  // short: found by scanning, 25, 125, 225 and 250
        QCOMPARE(archive.totals(q).Count, 4);
        q.Numbers = {QStringLiteral("0300000007"), QStringLiteral("0300000008")};
        QCOMPARE(archive.totals(q).Count, 6);
        q.KindText = QStringLiteral("▲発信");
        QCOMPARE(numbersOf(archive.rows(q, 10)),
                 (QStringList{QStringLiteral("0300000225"), QStringLiteral("0300000125"),
                              QStringLiteral("0300000025"), QStringLiteral("0300000007")}));
        q.Digits.clear();
        q.Numbers.clear();
        QCOMPARE(archive.totals(q).Count, 0);  // a search that finds nothing shows nothing

        db::ArchiveQuery f;
        f.Port = 3;  // even calls use ports 2 and 3
        f.From = 10000;
        f.To = 20000;
        const db::ArchiveTotals t = archive.totals(f);
        QCOMPARE(t.Count, 6);  // 10, 12, ..., 20
        QCOMPARE(t.DurationSeconds, 360);
        QCOMPARE(t.Charge, 60);
        f.Port = 1;
        QCOMPARE(archive.totals(f).Count, 5);

        // Pages follow each other without gap or repeat, in any order.
        db::ArchiveQuery byNumber;
        byNumber.SortField = 4;
        byNumber.Descending = false;
        QList<db::ArchiveRow> all = archive.rows(byNumber, 100);
        while (true) {
            const QList<db::ArchiveRow> more = archive.rows(byNumber, 100, all.last());
            if (more.isEmpty()) {
                break;
            }
            all += more;
        }
        QCOMPARE(all.size(), 250);
        QCOMPARE(all.first().Row.Number, QStringLiteral("0300000001"));
        QCOMPARE(all.last().Row.Number, QStringLiteral("0300000250"));
        int exported = 0;
        archive.forEachRow(byNumber, [&exported](const db::LogRow&, int64_t) { ++exported; });
        QCOMPARE(exported, 250);
    }

    void foreignFileIsRefusedAndKept() {
        QTemporaryDir dir;
        const QString path = dir.filePath(db::CallArchive::fileName());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        db::CallArchive archive(dir.path(), calllog::monthOfMoment);
        try {
            archive.open();
            QFAIL("a foreign file was opened");
        } catch (const db::EDatabaseError& e) {
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
        QTemporaryDir dir;
        db::CallArchive first(dir.path(), calllog::monthOfMoment);
        first.setExclusive(true);
        first.open();
        db::CallArchive second(dir.path(), calllog::monthOfMoment);
        second.setExclusive(true);
        QVERIFY_THROWS_EXCEPTION(db::EDatabaseError, second.open());
    }

    void killedWriteLeavesTheArchiveWhole() {
        QTemporaryDir dir;
        {
            db::CallArchive archive(dir.path(), calllog::monthOfMoment);
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

        db::CallArchive archive(dir.path(), calllog::monthOfMoment);
        archive.open();
        QCOMPARE(archive.totals({}).Count, 20);
        QCOMPARE(archive.add(calls(15, 25), Downloaded), 5);
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--write-forever") == 0) {
        return writeForever(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    CallArchiveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "callarchive_test.moc"
