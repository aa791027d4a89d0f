#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "state/inifile.h"
#include "state/settings.h"
#include "state/settingswriter.h"
#include "support/files.h"

namespace {

appstate::Settings settingsState() {
    return {2, 1, 0, 2, 13, 12, 99, -1};
}

}  // namespace

class SettingsWriterTest : public QObject {
    Q_OBJECT
private slots:
    void settingsWrittenKeepingOtherLines() {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("tilka.Ini"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("; kept\n[RS232C]\nCOM=0x3\nBAUD=19200\n[Other]\nX=y\n[TA]\nNO=$1\n");
        }
        appstate::writeSettings(path, settingsState());
        const QByteArray written = readFile(path);
        QVERIFY2(
            written.startsWith("; kept\n[RS232C]\nCOM=2\nBAUD=19200\n[Other]\nX=y\n[TA]\nNO=-1\n"),
            written.constData());
        const appstate::IniFile ini(path);
        QCOMPARE(ini.readInteger("TEL", "PORT", 0), 1);
        QCOMPARE(ini.readInteger("LOG", "PORT1", 9), 0);
        QCOMPARE(ini.readInteger("LOG", "PORT2", 9), 2);
        QCOMPARE(ini.readInteger("USER", "SET1", 0), 13);
        QCOMPARE(ini.readInteger("USER", "SET2", 0), 12);
        QCOMPARE(ini.readInteger("TIME", "HG", 0), 99);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"tilka.Ini"});
    }

    void settingsFileCreatedInKeyOrder() {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("tilka.Ini"));
        appstate::writeSettings(path, settingsState());
        QCOMPARE(readFile(path), QByteArray("[RS232C]\nCOM=2\n[TEL]\nPORT=1\n[LOG]\nPORT1=0\n"
                                            "PORT2=2\n[USER]\nSET1=13\nSET2=12\n[TIME]\nHG=99\n"
                                            "[TA]\nNO=-1\n"));
    }

    void unwritableSettingsThrowAndChangeNothing() {
        QTemporaryDir dir;
        // A folder that does not exist cannot take the file.
        const QString missing = QDir(dir.path()).filePath(QStringLiteral("gone/tilka.Ini"));
        QVERIFY_THROWS_EXCEPTION(appstate::SettingsWriteError,
                                 appstate::writeSettings(missing, settingsState()));
        QVERIFY(!QFile::exists(missing));
        // A settings name taken by a folder can be neither read nor replaced.
        const QString taken = QDir(dir.path()).filePath(QStringLiteral("tilka.Ini"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tilka.Ini")));
        QVERIFY_THROWS_EXCEPTION(appstate::SettingsWriteError,
                                 appstate::writeSettings(taken, settingsState()));
        QVERIFY(QFileInfo(taken).isDir());
    }
};

QTEST_MAIN(SettingsWriterTest)
#include "settingswriter_test.moc"
