#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "db/callarchive.h"
#include "db/phonebooktable.h"
#include "db/servermove.h"
#include "protocol/secondsscale.h"
#include "support/archivedcalls.h"
#include "support/files.h"
#include "support/testserver.h"

namespace {

using testcalls::calls;

const QDateTime Downloaded(QDate(2026, 12, 1), QTime(9, 0));

db::UserRecord person(const QString& name, const QString& address) {
    db::UserRecord r;
    r.name = name;
    r.yomi = name;
    r.tel = r.tel2 = QStringLiteral("0312345678");
    r.address = address;
    return r;
}

}  // namespace

class ServerMoveTest : public QObject {
    Q_OBJECT

private slots:
    // Run twice, the move copies each record and call once, leaves what the server had and the
    // files as they were, and keeps the server's monthly totals whole.
    void movedOnceWhateverTheRuns() {
        if (!TestServerDatabase::serverGiven()) {
            QSKIP("no PostgreSQL server named by PGHOST");
        }
        TestServerDatabase server;
        QVERIFY2(server.problem().isEmpty(), qPrintable(server.problem()));
        appstate::StoreSettings office = server.settings();
        office.lineName = QStringLiteral("本社");

        QTemporaryDir local;
        {
            db::PhoneBookTable book(local.path());
            book.createTable();
            book.open();
            for (const QString& name :
                 {QStringLiteral("山田"), QStringLiteral("佐藤"), QStringLiteral("田中")}) {
                book.append(person(name, QStringLiteral("東京都")));
            }
            db::CallArchive archive(local.path(), protocol::monthOfMoment);
            archive.open();
            QCOMPARE(archive.add(calls(1, 30), Downloaded), 30);
        }
        {
            db::PhoneBookTable book(local.path());
            book.useServer(office);
            book.open();
            book.append(person(QStringLiteral("佐藤"), QStringLiteral("大阪府")));
            db::CallArchive archive(local.path(), protocol::monthOfMoment);
            archive.useServer(office);
            archive.open();
            QCOMPARE(archive.add(calls(25, 32), Downloaded), 8);
        }
        const QByteArray bookFile = readFile(QDir(local.path()).filePath("Userdat.db"));
        const QByteArray archiveFile = readFile(QDir(local.path()).filePath("Archive.db"));

        const db::ServerMoveCounts first =
            db::moveToServer(local.path(), office, protocol::monthOfMoment);
        QCOMPARE(first.records, 2);
        QCOMPARE(first.recordsPresent, 1);
        QCOMPARE(first.calls, 24);
        QCOMPARE(first.callsPresent, 6);
        const db::ServerMoveCounts again =
            db::moveToServer(local.path(), office, protocol::monthOfMoment);
        QCOMPARE(again.records + again.calls, 0);
        QCOMPARE(again.recordsPresent, 3);
        QCOMPARE(again.callsPresent, 30);

        QCOMPARE(readFile(QDir(local.path()).filePath("Userdat.db")), bookFile);
        QCOMPARE(readFile(QDir(local.path()).filePath("Archive.db")), archiveFile);

        db::PhoneBookTable book(local.path());
        book.useServer(office);
        book.open();
        QCOMPARE(book.recordCount(), 3);
        QCOMPARE(book.record(QStringLiteral("佐藤"))->address, QStringLiteral("大阪府"));
        QCOMPARE(book.record(QStringLiteral("田中"))->address, QStringLiteral("東京都"));
        db::CallArchive archive(local.path(), protocol::monthOfMoment);
        archive.useServer(office);
        archive.open();
        QCOMPARE(archive.totals({}).count, 32);
        db::ArchiveSpan span;
        span.firstMonth = protocol::monthOfMoment(0);
        span.lastMonth = protocol::monthOfMoment(32 * 1000);
        QCOMPARE(testcalls::callsCounted(archive, span), 32);
    }

    // A server that cannot be reached is refused.
    void unreachableServerIsRefused() {
        QTemporaryDir local;
        appstate::StoreSettings nowhere;
        nowhere.kind = appstate::StoreKind::Server;
        nowhere.host = QStringLiteral("127.0.0.1");
        nowhere.port = 1;
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError,
                                 db::moveToServer(local.path(), nowhere, protocol::monthOfMoment));
    }
};

QTEST_GUILESS_MAIN(ServerMoveTest)

#include "servermove_test.moc"
