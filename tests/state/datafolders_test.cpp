#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "state/datafolders.h"

namespace {
const auto NoFile = [](const QString&) { return false; };
}

class DataFoldersTest : public QObject {
    Q_OBJECT
private slots:
    void installedProgramUsesTheUserFolders_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("tables");
        QTest::newRow("defaults") << "/usr/bin/tilka"
                                  << ""
                                  << ""
                                  << "/home/u/.config/tilka/tilka.Ini"
                                  << "/home/u/.local/share/tilka";
        QTest::newRow("set") << "/usr/local/bin/tilka"
                             << "/cfg"
                             << "/data/"
                             << "/cfg/tilka/tilka.Ini"
                             << "/data/tilka";
        QTest::newRow("unpacked under another root") << "/tmp/x/usr/local/bin/tilka"
                                                     << ""
                                                     << "/data"
                                                     << "/home/u/.config/tilka/tilka.Ini"
                                                     << "/data/tilka";
        QTest::newRow("relative values do not count") << "/usr/bin/tilka"
                                                      << "cfg"
                                                      << "./data"
                                                      << "/home/u/.config/tilka/tilka.Ini"
                                                      << "/home/u/.local/share/tilka";
    }

    void installedProgramUsesTheUserFolders() {
        QFETCH(QString, executable);
        QFETCH(QString, configHome);
        QFETCH(QString, dataHome);
        QFETCH(QString, settings);
        QFETCH(QString, tables);
        const appstate::DataFolders f =
            appstate::dataFoldersFor(executable, QStringLiteral("/work"),
                                     {configHome, dataHome, QStringLiteral("/home/u")}, NoFile);
        QCOMPARE(f.settingsFile, settings);
        QCOMPARE(f.tableFolder, tables);
        QVERIFY(f.perUser);
    }

    // Only the folder's name counts; an Ini file beside the executable keeps the folder portable,
    // as does a home folder that is not known.
    void otherwiseTheFolderRunsAsItIs() {
        const appstate::FolderEnvironment env{QStringLiteral("/cfg"), QStringLiteral("/data"),
                                              QStringLiteral("/home/u")};
        const QString work = QStringLiteral("/work");
        for (const QString& exe :
             {QStringLiteral("/opt/tilka/tilka"), QStringLiteral("/usr/bin/sub/tilka"),
              QStringLiteral("/home/u/myusr/bin/tilka")}) {
            const appstate::DataFolders f = appstate::dataFoldersFor(exe, work, env, NoFile);
            QCOMPARE(f.settingsFile, QFileInfo(exe).absolutePath() + QStringLiteral("/tilka.Ini"));
            QCOMPARE(f.tableFolder, work);
            QVERIFY(!f.perUser);
        }
        QStringList asked;
        const auto iniBeside = [&](const QString& p) {
            asked << p;
            return true;
        };
        QCOMPARE(appstate::dataFoldersFor(QStringLiteral("/usr/bin/tilka"), work, env, iniBeside)
                     .settingsFile,
                 QStringLiteral("/usr/bin/tilka.Ini"));
        QCOMPARE(asked, QStringList({"/usr/bin/tilka.Ini"}));
        QCOMPARE(
            appstate::dataFoldersFor(QStringLiteral("/usr/bin/tilka"), work, {{}, {}, {}}, NoFile)
                .tableFolder,
            work);
    }

    void userFoldersAreCreated() {
        QTemporaryDir home;
        const appstate::DataFolders f = appstate::dataFoldersFor(
            QStringLiteral("/usr/bin/tilka"), QStringLiteral("/work"),
            {QString(), home.filePath(QStringLiteral("data")), home.path()}, NoFile);
        QCOMPARE(appstate::makeDataFolders(f), QString());
        QVERIFY(QFileInfo(home.filePath(QStringLiteral(".config/tilka"))).isDir());
        QVERIFY(QFileInfo(home.filePath(QStringLiteral("data/tilka"))).isDir());

        // A file where a folder should be: the folder that cannot be made is named.
        QTemporaryDir blocked;
        QFile(blocked.filePath(QStringLiteral(".config"))).open(QIODevice::WriteOnly);
        const appstate::DataFolders g =
            appstate::dataFoldersFor(QStringLiteral("/usr/bin/tilka"), QStringLiteral("/w"),
                                     {{}, {}, blocked.path()}, NoFile);
        QCOMPARE(appstate::makeDataFolders(g), blocked.filePath(QStringLiteral(".config/tilka")));
        // The portable layout makes nothing.
        QCOMPARE(appstate::makeDataFolders(appstate::dataFoldersFor(
                     QStringLiteral("/opt/t/tilka"), QStringLiteral("/nonexistent/x"), {}, NoFile)),
                 QString());
    }
};

QTEST_GUILESS_MAIN(DataFoldersTest)
#include "datafolders_test.moc"
