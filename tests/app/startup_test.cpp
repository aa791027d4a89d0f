#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include <sys/stat.h>

#include "adapter/devicelink.h"
#include "app/application.h"
#include "app/program.h"
#include "db/callarchive.h"
#include "protocol/secondsscale.h"
#include "support/files.h"
#include "support/testapp.h"
#include "support/testserver.h"
#include "ui/qtdialogs.h"
#include "windows/aboutwindow.h"
#include "windows/archivewindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"
#include "windows/splashwindow.h"
#include "windows/storesettingswindow.h"

namespace {

// The exit code of a second run that ended at start.
constexpr int SecondRunEnded = 3;

QByteArray randomBytes(int size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(random.bounded(256));
    }
    return bytes;
}

// An archive of count downloaded calls, one a day.
void writeArchive(const QString& folder, int count) {
    db::CallArchive archive(folder, protocol::monthOfMoment);
    archive.open();
    std::vector<db::ArchivedCall> calls;
    for (int i = 0; i < count; ++i) {
        db::ArchivedCall c;
        c.startSeconds = 1000 + i * 86400;
        c.callKind = 1;
        c.number = QStringLiteral("03%1").arg(i, 8, 10, QChar(u'0'));
        c.row.number = c.number;
        c.row.kind = QStringLiteral("▲発信");
        c.charge = 10;
        c.moment = c.startSeconds;
        calls.push_back(c);
    }
    archive.add(calls, QDateTime(QDate(2026, 1, 1), QTime(9, 0)));
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsWithoutSettingsFile() {
        TestApp t;
        t.start();
        const appstate::ProgramState& s = t.app->state;
        QCOMPARE(
            (QList<int>{s.settings.comPort, s.settings.dialLine, s.settings.logModeTel1,
                        s.settings.logModeTel2, s.settings.passwordCode, s.settings.passwordNumber,
                        s.settings.clockDriftSetting, s.settings.adapterModel}),
            (QList<int>{1, 1, 3, 3, 0, 0, 99, 0}));
        QVERIFY(!QFile::exists(t.app->settingsPath()));
        QCOMPARE(s.logImage.bytes()[0], uint8_t(255));
        QVERIFY(!s.compactMenuInUse);
        QCOMPARE(s.redialCount, 0);
        QCOMPARE(t.app->link.portNumber(), 1);
        QVERIFY(t.dialogs.errors.isEmpty());
    }

    void settingsFileValues() {
        TestApp t;
        t.writeSettings(
            "[RS232C]\nCOM=2\n[TEL]\nPORT=x2\n[LOG]\nPORT1=0x1\nPORT2=$2\n"
            "[user]\nset1=13\nSET2=12\n[TIME]\nHG=101\n[TA]\nNO=1\n[DISPLAY]\nHYPHEN=0\n");
        t.start();
        const appstate::ProgramState& s = t.app->state;
        QCOMPARE(
            (QList<int>{s.settings.comPort, s.settings.dialLine, s.settings.logModeTel1,
                        s.settings.logModeTel2, s.settings.passwordCode, s.settings.passwordNumber,
                        s.settings.clockDriftSetting, s.settings.adapterModel}),
            (QList<int>{2, 1, 1, 2, 13, 12, 101, 1}));
        QCOMPARE(t.app->link.portNumber(), 2);
        QVERIFY(!t.app->numbers().hyphens());
    }

    void splashThenMenuAtTwoSeconds() {
        TestApp t;
        t.start();
        MainMenuWindow* main = t.app->windows.mainMenu;
        QVERIFY(t.app->splash() != nullptr);
        QVERIFY(t.app->splash()->isVisible());
        QCOMPARE(t.app->splash()->size(), QSize(288, 208));
        t.clock.advance(1999);
        QVERIFY(!main->isVisible());
        QVERIFY(t.app->splash() != nullptr);
        t.clock.advance(1);
        QVERIFY(main->isVisible());
        QVERIFY(t.app->splash() == nullptr);
        QVERIFY(!t.app->splashTimer.running());
        QCOMPARE(main->windowTitle(), QStringLiteral("ＴＡＬＶＥ通話記録管理"));
    }

    // A start in the background opens the tables and shows nothing until it is asked to.
    void backgroundStartShowsNoWindow() {
        TestApp t;
        QVERIFY(t.start(false));
        QVERIFY(t.app->splash() == nullptr);
        t.clock.advance(5000);
        QVERIFY(QApplication::topLevelWidgets().size() > 0);
        for (const QWidget* w : QApplication::topLevelWidgets()) {
            QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle()));
        }
        QVERIFY(t.app->phoneBookTable.isOpen());
        t.app->nav().bringWindowInUseToFront();
        QVERIFY(t.app->windows.mainMenu->isVisible());
    }

    // A display name would be appended to every window title by the window system; the error
    // box still names the program.
    void titlesAreTheCaptionsAlone() {
        setApplicationNames();
        QCOMPARE(QApplication::applicationName(), QStringLiteral("tilka"));
        QCOMPARE(QApplication::applicationDisplayName(), QApplication::applicationName());

        QString boxTitle;
        QTimer::singleShot(0, [&boxTitle] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    boxTitle = box->windowTitle();
                    box->accept();
                }
            }
        });
        ui::QtDialogs().showError(QStringLiteral("x"));
        QCOMPARE(boxTitle, QStringLiteral("ティルカ"));
    }

    void callLogEmptyAtEveryStart() {
        QTemporaryDir folder;
        {
            TestApp first(folder.path());
            first.start();
            db::LogRow row;
            row.kind = QStringLiteral("▲発信");
            first.app->windows.mainMenu->callLogTable.append(row);
            QCOMPARE(first.app->windows.mainMenu->callLogTable.rowCount(), 1);
        }
        TestApp second(folder.path());
        second.start();
        QCOMPARE(second.app->windows.mainMenu->callLogTable.rowCount(), 0);
        QVERIFY(second.dialogs.errors.isEmpty());
    }

    void tableThatCannotBeOpened_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("phone book, text") << "Userdat.db" << QByteArray("this is not a phone book");
        QTest::newRow("phone book, random bytes") << "Userdat.db" << randomBytes(4096, 21);
        QTest::newRow("archive, header then garbage")
            << "Archive.db" << QByteArray("SQLite format 3\0", 16) + randomBytes(8192, 22);
    }

    // The message comes once, while no timer runs and no window but the splash exists; the file
    // stays as it was and the run goes on to the menu.
    void tableThatCannotBeOpened() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath(file);
        writeFile(path, content);
        TestApp t(folder.path());
        bool splashWhileShown = false;
        bool windowsWhileShown = true;
        t.dialogs.whileErrorShows = [&t, &splashWhileShown, &windowsWhileShown] {
            t.clock.advance(5000);
            splashWhileShown = t.app->splash() != nullptr && t.app->splash()->isVisible();
            windowsWhileShown = t.app->windows.mainMenu != nullptr;
        };
        QVERIFY(t.start());
        QCOMPARE(t.dialogs.errors.size(), 1);
        QVERIFY2(t.dialogs.errors.first().contains(QStringLiteral("database")),
                 qPrintable(t.dialogs.errors.first()));
        QVERIFY(splashWhileShown);
        QVERIFY(!windowsWhileShown);
        // The skipped steps leave their members zeroed; start-up goes on to the menu.
        QCOMPARE(t.app->state.redialCount, 0);
        t.clock.advance(1999);
        QVERIFY(!t.app->windows.mainMenu->isVisible());
        t.clock.advance(1);
        QVERIFY(t.app->windows.mainMenu->isVisible());
        QCOMPARE(readFile(path), content);
        QCOMPARE(t.quitCount, 0);
    }

    void secondInstanceIsRefused() {
        QTemporaryDir folder;
        TestApp first(folder.path());
        first.start();
        QVERIFY(first.dialogs.errors.isEmpty());
        TestApp second(folder.path());
        QVERIFY(!second.start());
        QCOMPARE(second.dialogs.errors.size(), 1);
        QVERIFY2(second.dialogs.errors.first().contains(QStringLiteral("locked")),
                 qPrintable(second.dialogs.errors.first()));
        QVERIFY(second.app->splash() == nullptr);
    }

    // Reading the table files, as a file dialog in their folder does, drops the engine's record
    // locks of this process; a second run in a process of its own is still refused, ends after
    // its message and changes no file, and the first keeps its locks and its tables.
    void secondRunRefusedAfterTableFilesWereRead() {
        QTemporaryDir folder;
        TestApp first(folder.path());
        QVERIFY(first.start());
        db::LogRow row;
        row.kind = QStringLiteral("▲発信");
        first.app->callLogTable.append(row);
        const QStringList names{"Logdat.db", "Userdat.db", "Archive.db"};
        QHash<QString, QByteArray> before;
        for (const QString& name : names) {
            before[name] = readFile(QDir(folder.path()).filePath(name));
        }

        QProcess second;
        second.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--second-run"), folder.path()});
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), SecondRunEnded);
        const QStringList shown =
            QString::fromUtf8(second.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(QStringLiteral("locked")), qPrintable(shown.first()));

        const QStringList locks = QString::fromLatin1(readFile(QStringLiteral("/proc/locks")))
                                      .split(u'\n', Qt::SkipEmptyParts);
        for (const QString& name : names) {
            const QString path = QDir(folder.path()).filePath(name);
            QCOMPARE(readFile(path), before[name]);
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
            const QString inode = QStringLiteral(":%1 ").arg(info.st_ino);
            const QString pid = QStringLiteral(" %1 ").arg(QCoreApplication::applicationPid());
            QVERIFY2(std::any_of(locks.begin(), locks.end(),
                                 [&](const QString& line) {
                                     return line.contains(QStringLiteral("FLOCK")) &&
                                            line.contains(inode) && line.contains(pid);
                                 }),
                     qPrintable(name));
        }
        first.app->callLogTable.append(row);
        QCOMPARE(first.app->callLogTable.rowCount(), 2);
    }

    // An archive of the previous release, without monthly totals, gets them counted in steps
    // after the start; until then the statistics say they are not ready.
    void oldArchiveIsCountedAfterTheStart() {
        QTemporaryDir folder;
        writeArchive(folder.path(), 50);
        QVERIFY(dropArchiveTotals(QDir(folder.path()).filePath(db::CallArchive::fileName())));
        TestApp t(folder.path());
        QVERIFY(t.start());
        QVERIFY(!t.app->callArchive.totalsReady());
        t.app->windows.archive->statisticsClicked();
        QVERIFY2(t.dialogs.messages.last().text.startsWith(
                     QStringLiteral("通話統計のための集計をしています（0%）")),
                 qPrintable(t.dialogs.messages.last().text));
        t.clock.advance(ArchiveTotalsCount::StepInterval);
        QVERIFY(t.app->callArchive.totalsReady());
        QVERIFY(!t.app->archiveTotals.running());
        t.clock.advance(2000);
        QVERIFY(t.app->windows.mainMenu->isVisible());
        QVERIFY(t.dialogs.errors.isEmpty());
    }

    // A server that does not answer is told with the choice to try again or to use this PC's
    // files for the run; a server that answers holds the phone book and the archive, and no
    // file backup is taken of them.
    void tablesOnTheOfficeServer() {
        QTemporaryDir folder;
        TestApp t(folder.path());
        t.writeSettings("[Store]\nKind=1\nHost=127.0.0.1\nPort=1\nDatabase=tilka\nUser=tilka\n");
        t.dialogs.answers = {ui::MsgResult::Yes, ui::MsgResult::No};
        QVERIFY(t.start());
        QCOMPARE(t.dialogs.messages.size(), 2);
        QVERIFY2(t.dialogs.messages[1].text.contains(QStringLiteral("もう一度接続しますか")),
                 qPrintable(t.dialogs.messages[1].text));
        QVERIFY(t.dialogs.errors.isEmpty());
        QVERIFY(!t.app->phoneBookTable.onServer());
        QVERIFY(t.app->phoneBookTable.isOpen());
        QVERIFY(t.app->callArchive.isOpen());
        QVERIFY(QFile::exists(t.filePath(QStringLiteral("Userdat.db"))));
        t.clock.advance(2000);
        QVERIFY(t.app->windows.mainMenu->isVisible());

        if (!TestServerDatabase::serverGiven()) {
            QSKIP("no PostgreSQL server named by PGHOST");
        }
        TestServerDatabase server;
        QVERIFY2(server.problem().isEmpty(), qPrintable(server.problem()));
        QTemporaryDir office;
        TestApp o(office.path());
        o.writeSettings(server.settingsFileSection());
        QVERIFY(o.start());
        QVERIFY(o.dialogs.messages.isEmpty() && o.dialogs.errors.isEmpty());
        QVERIFY(o.app->phoneBookTable.onServer() && o.app->callArchive.onServer());
        QVERIFY(o.app->phoneBookTable.isOpen() && o.app->callArchive.isOpen());
        QVERIFY(!QFile::exists(o.filePath(QStringLiteral("Userdat.db"))));
        QVERIFY(!QFile::exists(o.filePath(QStringLiteral("Archive.db"))));
        QVERIFY(QFile::exists(o.filePath(QStringLiteral("Logdat.db"))));
        QVERIFY(!QDir(o.filePath(QStringLiteral("backup"))).exists() ||
                QDir(o.filePath(QStringLiteral("backup"))).isEmpty());
        // A file backup would go back beside the tables in use, not over them.
        o.clock.advance(2000);
        o.app->windows.mainMenu->restoreAction->trigger();
        QCOMPARE(o.dialogs.messages.size(), 1);
        QVERIFY(o.dialogs.messages[0].text.contains(QStringLiteral("pg_restore")));
        QVERIFY(o.dialogs.itemLists.isEmpty());
    }

    // The store window: the connection test tells what is wrong, OK keeps the choice in the
    // settings file and a typed password in the password file alone, owner-only.
    void storeWindowKeepsTheChoiceAndThePassword() {
        QTemporaryDir folder;
        const QString pgpass = QDir(folder.path()).filePath(QStringLiteral("pgpass"));
        qputenv("PGPASSFILE", pgpass.toLocal8Bit());
        TestApp t(folder.path());
        QVERIFY(t.start());
        t.clock.advance(2000);
        t.app->windows.mainMenu->storeAction->trigger();
        StoreSettingsWindow* w = t.app->windows.storeSettings;
        QVERIFY(w->isVisible() && !t.app->windows.mainMenu->isVisible());
        QVERIFY(w->filesButton->isChecked() && !w->hostField->isEnabled());
        w->serverButton->setChecked(true);
        w->hostField->setText(QStringLiteral("127.0.0.1"));
        w->portField->setValue(1);
        w->databaseField->setText(QStringLiteral("office"));
        w->userField->setText(QStringLiteral("clerk"));
        w->passwordField->setText(QStringLiteral("se:cret"));
        w->testClicked();
        QVERIFY2(w->testResult->text().startsWith(
                     QStringLiteral("サーバー 127.0.0.1:1 に接続できません")),
                 qPrintable(w->testResult->text()));
        w->moveClicked();
        QVERIFY2(w->testResult->text().startsWith(QStringLiteral("移せませんでした")),
                 qPrintable(w->testResult->text()));
        w->okClicked();
        qunsetenv("PGPASSFILE");
        QVERIFY(!w->isVisible() && t.app->windows.mainMenu->isVisible());
        const QByteArray settings = t.readSettings();
        QVERIFY2(settings.contains("Kind=1") && settings.contains("Host=127.0.0.1") &&
                     settings.contains("Port=1") && !settings.contains("cret"),
                 settings.constData());
        QCOMPARE(readFile(pgpass), QByteArray("127.0.0.1:1:office:clerk:se\\:cret\n"));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(pgpass).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
    }

    // A damaged page deep in the archive passes the quick check at start and is found afterwards,
    // off the path to the first window: told once, the archive closed and its file unchanged.
    void damagedArchivePageIsFoundAfterTheStart() {
        QTemporaryDir folder;
        writeArchive(folder.path(), 3000);
        const QString path = QDir(folder.path()).filePath(db::CallArchive::fileName());
        QByteArray bytes = readFile(path);
        const qsizetype pages = bytes.size() / 4096;
        for (qsizetype page = pages / 2 - 1; page <= pages / 2 + 1; ++page) {
            bytes.replace(page * 4096, 4096, randomBytes(4096, static_cast<quint32>(page)));
        }
        writeFile(path, bytes);
        TestApp t(folder.path());
        QVERIFY(t.start());
        QVERIFY(t.dialogs.errors.isEmpty());
        QVERIFY(t.app->callArchive.isOpen());
        QTRY_COMPARE_WITH_TIMEOUT(t.dialogs.errors.size(), 1, 20000);
        QVERIFY2(t.dialogs.errors.first().contains(QStringLiteral("Page")) ||
                     t.dialogs.errors.first().contains(QStringLiteral("malformed")),
                 qPrintable(t.dialogs.errors.first()));
        QVERIFY(!t.app->callArchive.isOpen());
        QCOMPARE(readFile(path), bytes);
    }

    void mainWindowCommandsAndMenus() {
        TestApp t;
        t.start();
        t.clock.advance(2000);
        MainMenuWindow* main = t.app->windows.mainMenu;
        QCOMPARE(main->callLogButton->text(), QStringLiteral("　通話記録表 　　 "));
        QCOMPARE(main->phoneBookButton->text(), QStringLiteral("  個人情報一覧表"));
        QCOMPARE(main->dialButton->text(), QStringLiteral("　ダイヤル発信　　"));
        QCOMPARE(main->chargesButton->text(), QStringLiteral("  回線使用料金   "));
        QCOMPARE(main->optionsButton->text(), QStringLiteral("　オプション設定　"));
        QCOMPARE(main->exitButton->text(), QStringLiteral("　終　了　　   "));
        QCOMPARE(main->callLogButton->size(), QSize(184, 28));
        const QList<QAction*> menus = main->mainMenuBar->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("実行(&E)"));
        QCOMPARE(menus[1]->text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
        QStringList runItems;
        for (QAction* a : menus[0]->menu()->actions()) {
            runItems << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        QCOMPARE(runItems,
                 (QStringList{"通話記録表", "個人情報一覧表", "ダイヤル発信", "回線使用料",
                              "オプション設定", "-", "常駐と自動受信", "通話履歴",
                              "バックアップから戻す", "データの保存先", "終了"}));
        QStringList helpItems;
        for (QAction* a : menus[1]->menu()->actions()) {
            helpItems << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        QCOMPARE(helpItems, (QStringList{"目次(&C)", "ﾄﾋﾟｯｸの検索(&S)...", "ﾍﾙﾌﾟの使い方(&H)", "-",
                                         "ﾊﾞｰｼﾞｮﾝ情報(&A)..."}));
        for (QAction* a : menus[1]->menu()->actions()) {
            a->trigger();
        }
        QCOMPARE(t.help.requests, (QStringList{"contents", "key", "helponhelp"}));
        QVERIFY(t.app->windows.about->isVisible());
        QVERIFY(main->isVisible());
        QTest::keyClick(main, Qt::Key_F1);
        QCOMPARE(t.help.requests.last(), QStringLiteral("context 22"));
    }

    void compactMenuRoundTrip() {
        TestApp t;
        t.start();
        t.clock.advance(2000);
        MainMenuWindow* main = t.app->windows.mainMenu;
        CompactMenuWindow* compact = t.app->windows.compactMenu;
        QCOMPARE(main->contextMenu->actions().first()->text(), QStringLiteral("メニュー省略化"));
        main->contextMenu->actions().last()->trigger();  // キャンセル does nothing
        QVERIFY(main->isVisible());
        main->compactMenuAction->trigger();
        QVERIFY(t.app->state.compactMenuInUse);
        QVERIFY(!main->isVisible());
        QVERIFY(compact->isVisible());
        main->hide();
        t.app->nav().showMenu();
        QVERIFY(compact->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(compact->standardMenuAction->text(), QStringLiteral("メニュー標準化"));
        compact->standardMenuAction->trigger();
        QVERIFY(!t.app->state.compactMenuInUse);
        QVERIFY(main->isVisible());
        QVERIFY(!compact->isVisible());
    }

    void exitEndsTheRunFromEitherMenu() {
        TestApp t;
        t.start();
        t.clock.advance(2000);
        t.app->windows.mainMenu->exitButton->click();
        QCOMPARE(t.quitCount, 1);

        TestApp c;
        c.start();
        c.clock.advance(2000);
        c.app->windows.mainMenu->compactMenuClicked();
        c.app->windows.compactMenu->exitButton->click();
        QCOMPARE(c.quitCount, 1);
        QVERIFY(!c.app->windows.compactMenu->isVisible());
    }

    void aboutOkClosesOnlyItself() {
        TestApp t;
        t.start();
        t.clock.advance(2000);
        t.app->windows.about->show();
        t.app->windows.about->okButton->click();
        QVERIFY(!t.app->windows.about->isVisible());
        QVERIFY(t.app->windows.mainMenu->isVisible());
        QCOMPARE(t.quitCount, 0);
    }
};

// With --second-run FOLDER, starts one run in FOLDER as the program would and prints what it
// told the user: the second process of secondRunRefusedAfterTableFilesWereRead.
int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--second-run") {
        TestApp run(QString::fromLocal8Bit(argv[2]));
        const bool started = run.start();
        for (const QString& error : run.dialogs.errors) {
            std::printf("%s\n", error.toUtf8().constData());
        }
        return started ? 0 : SecondRunEnded;
    }
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "startup_test.moc"
