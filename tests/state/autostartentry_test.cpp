#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "state/autostartentry.h"
#include "support/files.h"

class AutostartEntryTest : public QObject {
    Q_OBJECT
private slots:
    void entryLivesInTheUsersAutostartFolder() {
        QCOMPARE(appstate::autostartEntryPath({"/cfg", "", "/home/u"}),
                 QStringLiteral("/cfg/autostart/tilka.desktop"));
        QCOMPARE(appstate::autostartEntryPath({"relative", "", "/home/u"}),
                 QStringLiteral("/home/u/.config/autostart/tilka.desktop"));
    }

    void writtenWithTheProgramQuotedAndRemoved_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("execLine");
        QTest::newRow("plain") << "/opt/tilka/tilka"
                               << "Exec=/opt/tilka/tilka --background";
        QTest::newRow("spaces") << "/home/u/My Programs/tilka"
                                << "Exec=\"/home/u/My Programs/tilka\" --background";
        QTest::newRow("quote, dollar, backslash and percent")
            << "/home/u/a\"b$c\\d 100%/tilka"
            << "Exec=\"/home/u/a\\\\\"b\\\\$c\\\\\\\\d 100%%/tilka\" --background";
    }
    void writtenWithTheProgramQuotedAndRemoved() {
        QFETCH(QString, executable);
        QFETCH(QString, execLine);
        QTemporaryDir folder;
        // The autostart folder does not exist yet.
        const QString path =
            QDir(folder.path()).filePath(QStringLiteral("autostart/tilka.desktop"));
        const appstate::AutostartProgram program{executable, QStringLiteral("/home/u/記録"),
                                                 QStringLiteral("/opt/tilka/tilka.svg")};
        QCOMPARE(appstate::updateAutostartEntry(path, true, program), QString());
        const QStringList lines = QString::fromUtf8(readFile(path)).split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
        for (const QString& line :
             {QStringLiteral("Type=Application"), QStringLiteral("Name=Tilka"), execLine,
              QStringLiteral("Path=/home/u/記録"), QStringLiteral("Icon=/opt/tilka/tilka.svg"),
              QStringLiteral("X-GNOME-Autostart-enabled=true")}) {
            QVERIFY2(lines.contains(line), qPrintable(line));
        }
        QCOMPARE(appstate::updateAutostartEntry(path, false, program), QString());
        QVERIFY(!QFile::exists(path));
        // Nothing to remove is no failure.
        QCOMPARE(appstate::updateAutostartEntry(path, false, program), QString());
    }

    void failureIsToldAndNothingIsWritten() {
        QTemporaryDir folder;
        // A file where the autostart folder should be.
        const QString blocked = QDir(folder.path()).filePath(QStringLiteral("autostart"));
        writeFile(blocked, "not a folder");
        const QString failure = appstate::updateAutostartEntry(
            blocked + QStringLiteral("/tilka.desktop"), true, {QStringLiteral("/t/tilka"), {}, {}});
        QVERIFY(failure.startsWith(QStringLiteral("ログイン時の起動を設定できません")));
        QCOMPARE(readFile(blocked), QByteArray("not a folder"));
    }
};

QTEST_GUILESS_MAIN(AutostartEntryTest)
#include "autostartentry_test.moc"
