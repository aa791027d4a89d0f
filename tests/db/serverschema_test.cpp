#include <QSqlQuery>
#include <QtTest>

#include "db/connection.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"
#include "db/serverschema.h"
#include "support/testserver.h"

namespace {

QStringList columnsOf(const db::Connection& server, const QString& table) {
    QSqlQuery q = server.exec(QStringLiteral("SELECT column_name FROM information_schema.columns "
                                             "WHERE table_name = ? ORDER BY ordinal_position"),
                              {table});
    QStringList names;
    while (q.next()) {
        names << q.value(0).toString();
    }
    return names;
}

}  // namespace

class ServerSchemaTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (!TestServerDatabase::serverGiven()) {
            QSKIP("No PostgreSQL server: scripts/test-all.sh starts one, or set PGHOST");
        }
    }

    // The tables are made once, with the phone book's own columns and the trigram index, and
    // found again by a second PC as they are.
    void madeOnceAndFoundAgain() {
        TestServerDatabase database;
        QVERIFY2(database.problem().isEmpty(), qPrintable(database.problem()));
        db::Connection first(QStringLiteral("first"));
        first.openServer(database.settings());
        QCOMPARE(db::prepareServerTables(first), db::ServerSchemaVersion);
        first.exec(QStringLiteral("INSERT INTO Userdat (氏名) VALUES ('山田')"));

        db::Connection second(QStringLiteral("second"));
        second.openServer(database.settings());
        QCOMPARE(db::prepareServerTables(second), db::ServerSchemaVersion);
        QCOMPARE(second.scalar(QStringLiteral("SELECT COUNT(*) FROM Userdat")).toInt(), 1);
        QCOMPARE(columnsOf(second, QStringLiteral("userdat")).mid(2),
                 db::PhoneBookTable::fieldNames());
        QVERIFY(columnsOf(second, QStringLiteral("archive")).contains(QStringLiteral("line_name")));
        QVERIFY(second
                    .scalar(QStringLiteral("SELECT indexdef FROM pg_indexes WHERE indexname = "
                                           "'archive_digits'"))
                    .toString()
                    .contains(QStringLiteral("gin_trgm_ops")));
        QVERIFY_THROWS_EXCEPTION(
            db::DatabaseError,
            second.exec(QStringLiteral("INSERT INTO Userdat (氏名) VALUES ('山田')")));
    }

    // The connection test tells a server that does not answer and tables of a newer release.
    void connectionTestTellsWhatIsWrong() {
        TestServerDatabase database;
        QVERIFY2(database.problem().isEmpty(), qPrintable(database.problem()));
        QCOMPARE(db::checkServer(database.settings()), QString());

        appstate::StoreSettings away = database.settings();
        away.port = away.port == 1 ? 2 : 1;
        const QString refused = db::checkServer(away);
        QVERIFY2(
            refused.startsWith(
                QStringLiteral("サーバー %1:%2 に接続できません。").arg(away.host).arg(away.port)),
            qPrintable(refused));

        db::Connection later(QStringLiteral("later"));
        later.openServer(database.settings());
        later.exec(QStringLiteral("UPDATE tilka_schema SET version = 99"));
        const QString newer = db::checkServer(database.settings());
        QVERIFY2(newer.contains(QStringLiteral("新しい版 (99)")), qPrintable(newer));
    }
};

QTEST_MAIN(ServerSchemaTest)
#include "serverschema_test.moc"
