#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "adapter/devicelink.h"
#include "app/application.h"
#include "app/program.h"
#include "support/testapp.h"
#include "ui/qtdialogs.h"
#include "windows/aboutwindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"
#include "windows/splashwindow.h"

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsWithoutSettingsFile() {
        TestApp t;
        t.start();
        const ProgramState& s = t.app->State;
        QCOMPARE((QList<int>{s.ComPort, s.DialLine, s.LogModeTel1, s.LogModeTel2, s.PasswordCode,
                             s.passwordNumber, s.clockDriftSetting, s.adapterModel}),
                 (QList<int>{1, 1, 3, 3, 0, 0, 99, 0}));
        QVERIFY(!QFile::exists(t.app->settingsPath()));
        QCOMPARE(s.logImage.bytes()[0], uint8_t(255));
        QVERIFY(!s.compactMenuInUse);
        QCOMPARE(s.RedialCount, 0);
        QCOMPARE(t.app->link.serialPort.port(), uint8_t(1));
        QVERIFY(t.dialogs.errors.isEmpty());
    }

    void settingsFileValues() {
        TestApp t;
        t.writeSettings(
            "[RS232C]\nCOM=2\n[TEL]\nPORT=x2\n[LOG]\nPORT1=0x1\nPORT2=$2\n"
            "[user]\nset1=13\nSET2=12\n[TIME]\nHG=101\n[TA]\nNO=1\n");
        t.start();
        const ProgramState& s = t.app->State;
        QCOMPARE((QList<int>{s.ComPort, s.DialLine, s.LogModeTel1, s.LogModeTel2, s.PasswordCode,
                             s.passwordNumber, s.clockDriftSetting, s.adapterModel}),
                 (QList<int>{2, 1, 1, 2, 13, 12, 101, 1}));
        QCOMPARE(t.app->link.serialPort.port(), uint8_t(2));
    }

    void splashThenMenuAtTwoSeconds() {
        TestApp t;
        t.start();
        MainMenuWindow* main = t.app->windows.mainMenu;
        QVERIFY(main->splash() != nullptr);
        QVERIFY(main->splash()->isVisible());
        QCOMPARE(main->splash()->size(), QSize(288, 208));
        t.clock.advance(1999);
        QVERIFY(!main->isVisible());
        QVERIFY(main->splash() != nullptr);
        t.clock.advance(1);
        QVERIFY(main->isVisible());
        QVERIFY(main->splash() == nullptr);
        QVERIFY(!main->splashTimer.running());
        QCOMPARE(main->windowTitle(), QStringLiteral("ＴＡＬＶＥ通話記録管理"));
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
            row.Kind = QStringLiteral("▲発信");
            first.app->windows.mainMenu->callLogTable.append(row);
            QCOMPARE(first.app->windows.mainMenu->callLogTable.rowCount(), 1);
        }
        TestApp second(folder.path());
        second.start();
        QCOMPARE(second.app->windows.mainMenu->callLogTable.rowCount(), 0);
        QVERIFY(second.dialogs.errors.isEmpty());
    }

    void unusablePhoneBookIsReportedAndKept() {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath(QStringLiteral("Userdat.db"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is not a phone book");
        }
        TestApp t(folder.path());
        t.start();
        QCOMPARE(t.dialogs.errors.size(), 1);
        // The skipped steps leave their members zeroed; start-up goes on to the menu.
        QCOMPARE(t.app->State.RedialCount, 0);
        t.clock.advance(2000);
        QVERIFY(t.app->windows.mainMenu->isVisible());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("this is not a phone book"));
    }

    void secondInstanceIsRefused() {
        QTemporaryDir folder;
        TestApp first(folder.path());
        first.start();
        QVERIFY(first.dialogs.errors.isEmpty());
        TestApp second(folder.path());
        second.start();
        QCOMPARE(second.dialogs.errors.size(), 1);
        QVERIFY2(second.dialogs.errors.first().contains(QStringLiteral("locked")),
                 qPrintable(second.dialogs.errors.first()));
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
        QCOMPARE(runItems, (QStringList{"通話記録表", "個人情報一覧表", "ダイヤル発信",
                                        "回線使用料", "オプション設定", "-", "通話履歴", "終了"}));
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
        QVERIFY(t.app->State.compactMenuInUse);
        QVERIFY(!main->isVisible());
        QVERIFY(compact->isVisible());
        main->hide();
        t.app->nav().showMenu();
        QVERIFY(compact->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(compact->standardMenuAction->text(), QStringLiteral("メニュー標準化"));
        compact->standardMenuAction->trigger();
        QVERIFY(!t.app->State.compactMenuInUse);
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

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
