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

#include "app/application.h"
#include "app/program.h"
#include "app/tform12.h"
#include "app/tform16.h"
#include "app/tform18.h"
#include "app/tmain.h"
#include "link/tform11.h"
#include "support/testapp.h"
#include "ui/qtdialogs.h"

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsWithoutSettingsFile() {
        TestApp t;
        t.start();
        const ProgramState& s = t.app->State;
        QCOMPARE((QList<int>{s.ComPort, s.DialLine, s.LogModeTel1, s.LogModeTel2, s.PasswordCode,
                             s.UserSet2, s.HgTimeSetting, s.TaModel}),
                 (QList<int>{1, 1, 3, 3, 0, 0, 99, 0}));
        QVERIFY(!QFile::exists(t.app->settingsPath()));
        QCOMPARE(s.LogImage[0], uint8_t(255));
        QCOMPARE(s.CompactMenu, uint8_t(0));
        QCOMPARE(s.RedialCount, 0);
        QCOMPARE(t.app->F.Form11->Comm1.Port(), uint8_t(1));
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
                             s.UserSet2, s.HgTimeSetting, s.TaModel}),
                 (QList<int>{2, 1, 1, 2, 13, 12, 101, 1}));
        QCOMPARE(t.app->F.Form11->Comm1.Port(), uint8_t(2));
    }

    void splashThenMenuAtTwoSeconds() {
        TestApp t;
        t.start();
        TMain* main = t.app->F.Main;
        QVERIFY(main->splash() != nullptr);
        QVERIFY(main->splash()->isVisible());
        QCOMPARE(main->splash()->size(), QSize(288, 208));
        t.clock.advance(1999);
        QVERIFY(!main->isVisible());
        QVERIFY(main->splash() != nullptr);
        t.clock.advance(1);
        QVERIFY(main->isVisible());
        QVERIFY(main->splash() == nullptr);
        QVERIFY(!main->Timer1.running());
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
            first.app->F.Main->LogTable.append(row);
            QCOMPARE(first.app->F.Main->LogTable.rowCount(), 1);
        }
        TestApp second(folder.path());
        second.start();
        QCOMPARE(second.app->F.Main->LogTable.rowCount(), 0);
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
        QVERIFY(t.app->F.Main->isVisible());
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
        TMain* main = t.app->F.Main;
        QCOMPARE(main->BitBtn1->text(), QStringLiteral("　通話記録表 　　 "));
        QCOMPARE(main->BitBtn2->text(), QStringLiteral("  個人情報一覧表"));
        QCOMPARE(main->BitBtn3->text(), QStringLiteral("　ダイヤル発信　　"));
        QCOMPARE(main->BitBtn4->text(), QStringLiteral("  回線使用料金   "));
        QCOMPARE(main->BitBtn5->text(), QStringLiteral("　オプション設定　"));
        QCOMPARE(main->BitBtn6->text(), QStringLiteral("　終　了　　   "));
        QCOMPARE(main->BitBtn1->size(), QSize(184, 28));
        const QList<QAction*> menus = main->MainMenu1->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("実行(&E)"));
        QCOMPARE(menus[1]->text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
        QStringList runItems;
        for (QAction* a : menus[0]->menu()->actions()) {
            runItems << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        QCOMPARE(runItems, (QStringList{"通話記録表", "個人情報一覧表", "ダイヤル発信",
                                        "回線使用料", "オプション設定", "-", "終了"}));
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
        QVERIFY(t.app->F.Form12->isVisible());
        QVERIFY(main->isVisible());
        QTest::keyClick(main, Qt::Key_F1);
        QCOMPARE(t.help.requests.last(), QStringLiteral("context 22"));
    }

    void compactMenuRoundTrip() {
        TestApp t;
        t.start();
        t.clock.advance(2000);
        TMain* main = t.app->F.Main;
        TForm18* compact = t.app->F.Form18;
        QCOMPARE(main->PopupMenu1->actions().first()->text(), QStringLiteral("メニュー省略化"));
        main->PopupMenu1->actions().last()->trigger();  // キャンセル does nothing
        QVERIFY(main->isVisible());
        main->K7->trigger();
        QCOMPARE(t.app->State.CompactMenu, uint8_t(1));
        QVERIFY(!main->isVisible());
        QVERIFY(compact->isVisible());
        main->hide();
        main->MenuShow();
        QVERIFY(compact->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(compact->K1->text(), QStringLiteral("メニュー標準化"));
        compact->K1->trigger();
        QCOMPARE(t.app->State.CompactMenu, uint8_t(0));
        QVERIFY(main->isVisible());
        QVERIFY(!compact->isVisible());
    }

    void exitEndsTheRunFromEitherMenu() {
        TestApp t;
        t.start();
        t.clock.advance(2000);
        t.app->F.Main->BitBtn6->click();
        QCOMPARE(t.quitCount, 1);

        TestApp c;
        c.start();
        c.clock.advance(2000);
        c.app->F.Main->K7Click();
        c.app->F.Form18->BitBtn6->click();
        QCOMPARE(c.quitCount, 1);
        QVERIFY(!c.app->F.Form18->isVisible());
    }

    void aboutOkClosesOnlyItself() {
        TestApp t;
        t.start();
        t.clock.advance(2000);
        t.app->F.Form12->show();
        t.app->F.Form12->OKButton->click();
        QVERIFY(!t.app->F.Form12->isVisible());
        QVERIFY(t.app->F.Main->isVisible());
        QCOMPARE(t.quitCount, 0);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
