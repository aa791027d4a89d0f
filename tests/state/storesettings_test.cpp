#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "state/inifile.h"
#include "state/pgpassfile.h"
#include "state/storesettingsfile.h"
#include "support/files.h"

class StoreSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void serverChoiceSurvivesTheFileAndBadValuesGiveDefaults() {
        QTemporaryDir dir;
        const appstate::IniFile ini(QDir(dir.path()).filePath(QStringLiteral("tilka.Ini")));
        QCOMPARE(appstate::readStoreSettings(ini).kind, appstate::StoreKind::Files);

        appstate::StoreSettings server;
        server.kind = appstate::StoreKind::Server;
        server.host = QStringLiteral("db.office.example");
        server.port = 6543;
        server.database = QStringLiteral("tilka");
        server.user = QStringLiteral("受付");
        server.lineName = QStringLiteral("本社 1F");
        QVERIFY(appstate::writeStoreSettings(ini, server));
        const appstate::StoreSettings read = appstate::readStoreSettings(ini);
        QCOMPARE(read.kind, appstate::StoreKind::Server);
        QCOMPARE(read.host, server.host);
        QCOMPARE(read.port, 6543);
        QCOMPARE(read.database, server.database);
        QCOMPARE(read.user, server.user);
        QCOMPARE(read.lineName, server.lineName);

        // A port out of range keeps the default; a server with no host falls back to the files.
        QVERIFY(ini.writeInteger(QStringLiteral("Store"), QStringLiteral("Port"), 70000));
        QCOMPARE(appstate::readStoreSettings(ini).port, 5432);
        QVERIFY(ini.writeString(QStringLiteral("Store"), QStringLiteral("Host"), QString()));
        QCOMPARE(appstate::readStoreSettings(ini).kind, appstate::StoreKind::Files);
    }

    void passwordLineReplacedPrivatelyKeepingOtherLines() {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral(".pgpass"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("# office\nother:5432:*:ann:x\ndb:5432:tilka:a\\:b:old\n");
            QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ReadGroup | QFileDevice::ReadOther));
        }
        QCOMPARE(
            appstate::writePgpassEntry(path, QStringLiteral("db"), 5432, QStringLiteral("tilka"),
                                       QStringLiteral("a:b"), QStringLiteral("p\\w:d")),
            QString());
        QCOMPARE(readFile(path),
                 QByteArray("# office\nother:5432:*:ann:x\ndb:5432:tilka:a\\:b:p\\\\w\\:d\n"));
        QCOMPARE(QFile(path).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        QCOMPARE(
            appstate::writePgpassEntry(path, QStringLiteral("db2"), 5433, QStringLiteral("tilka"),
                                       QStringLiteral("b"), QStringLiteral("s")),
            QString());
        QVERIFY(readFile(path).endsWith("a\\:b:p\\\\w\\:d\ndb2:5433:tilka:b:s\n"));
        QVERIFY(!appstate::writePgpassEntry(path, QStringLiteral("db"), 5432, QStringLiteral("t"),
                                            QStringLiteral("u"), QStringLiteral("a\nb"))
                     .isEmpty());
    }
};

QTEST_GUILESS_MAIN(StoreSettingsTest)
#include "storesettings_test.moc"
