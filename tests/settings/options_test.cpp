#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/inifile.h"
#include "app/tform10.h"
#include "app/tform18.h"
#include "app/tmain.h"
#include "link/tform11.h"
#include "link/tform14.h"
#include "settings/tform19.h"
#include "settings/tform5.h"
#include "settings/tradiogroup.h"
#include "simrun.h"

namespace {

int setting(const SimRun& r, const char* section, const char* key) {
    return IniFile(r.t.filePath(QStringLiteral("tilka.Ini")))
        .readInteger(QString::fromLatin1(section), QString::fromLatin1(key), -999);
}

// Opens the options from the main menu, as the user does.
TForm5* openOptions(SimRun& r) {
    r.t.app->F.Main->BitBtn5->click();
    return r.t.app->F.Form5;
}

}  // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheSettingsInForce() {
        SimRun r;
        r.t.writeSettings(
            "[RS232C]\nCOM=3\n[LOG]\nPORT1=1\nPORT2=0\n[USER]\nSET1=13\nSET2=12\n"
            "[TA]\nNO=1\n");
        r.startAtMenu();
        TForm5* options = openOptions(r);
        QVERIFY(options->isVisible());
        QVERIFY(!r.t.app->F.Main->isVisible());
        QCOMPARE(options->RadioGroup3->ItemIndex(), 2);
        QCOMPARE(options->RadioGroup1->ItemIndex(), 1);
        QCOMPARE(options->RadioGroup4->ItemIndex(), 3);
        QCOMPARE(options->RadioGroup6->ItemIndex(), 1);
        QCOMPARE(options->RadioGroup2->items(), (QStringList{"TEL 1", "TEL 2"}));
        QCOMPARE(options->RadioGroup2->ItemIndex(), 0);
        QCOMPARE(options->Edit1->text(), QStringLiteral("12"));
        QCOMPARE(options->Edit1->echoMode(), QLineEdit::Password);
        QCOMPARE(options->Edit1->maxLength(), 4);
        QCOMPARE(r.t.app->State.NewPasswordCode, 13);
        QVERIFY(r.commands().isEmpty());
    }

    void logModeOutsideTheItemsKeepsTheSelection() {
        SimRun r;
        r.t.writeSettings("[LOG]\nPORT1=7\n");
        r.startAtMenu();
        TForm5* options = openOptions(r);
        QCOMPARE(options->RadioGroup1->ItemIndex(), -1);
        options->RadioGroup1->setItemIndex(2);
        options->BitBtn2->click();
        openOptions(r);
        QCOMPARE(options->RadioGroup1->ItemIndex(), 2);
    }

    void saveTimeline_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QByteArray>("tel1");
        QTest::addColumn<QByteArray>("tel2");
        QTest::newRow("TALVE-X2") << 0 << QByteArray("AT\\T1/9*02\r")
                                  << QByteArray("ATE0\\T2/9*00\r");
        QTest::newRow("TALVE-X1") << 1 << QByteArray("AT\\T1/1*42\r")
                                  << QByteArray("ATE0\\T2/1*40\r");
        QTest::newRow("no model") << -1 << QByteArray("AT\\T1/1*42\r")
                                  << QByteArray("ATE0\\T2/1*40\r");
    }
    void saveTimeline() {
        QFETCH(int, model);
        QFETCH(QByteArray, tel1);
        QFETCH(QByteArray, tel2);
        SimRun r;
        r.t.writeSettings(QByteArray("; mine\n[LOG]\nPORT1=2\nPORT2=0\n[TA]\nNO=") +
                          QByteArray::number(model) + '\n');
        r.startAtMenu();
        ProgramState& s = r.t.app->State;
        s.DeviceReady = 1;
        s.LogImage[0] = 0;
        TForm5* options = openOptions(r);
        // With no model both log groups are disabled, yet their selections are saved.
        QCOMPARE(options->RadioGroup1->isEnabled(), model != -1);
        QCOMPARE(options->RadioGroup4->isEnabled(), model != -1);
        TForm19* notice = r.t.app->F.Form19;
        TMain* main = r.t.app->F.Main;
        const int64_t t0 = r.t.clock.now();

        options->BitBtn1->click();
        QCOMPARE(r.commands(), QList<QByteArray>{tel1});
        QVERIFY(r.portOpen());
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->Label1->text(), QStringLiteral("設定保存中"));
        QVERIFY(!options->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(s.DeviceReady, uint8_t(0));
        QCOMPARE(s.LogImage[0], uint8_t(255));
        QCOMPARE(setting(r, "RS232C", "COM"), 1);
        QCOMPARE(setting(r, "TEL", "PORT"), 1);
        QCOMPARE(setting(r, "LOG", "PORT1"), 2);
        QCOMPARE(setting(r, "LOG", "PORT2"), 0);
        QCOMPARE(setting(r, "USER", "SET1"), 0);
        QCOMPARE(setting(r, "USER", "SET2"), 0);
        QCOMPARE(setting(r, "TIME", "HG"), 99);
        QCOMPARE(setting(r, "TA", "NO"), model);
        QVERIFY(r.t.readSettings().startsWith("; mine\n"));

        r.t.clock.advanceTo(t0 + 699);
        QCOMPARE(r.commands().size(), 1);
        r.t.clock.advanceTo(t0 + 700);
        QCOMPARE(r.commands(), (QList<QByteArray>{tel1, tel2}));
        r.t.clock.advanceTo(t0 + 1499);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 1500);
        QVERIFY(!r.portOpen());
        r.t.clock.advanceTo(t0 + 1799);
        QVERIFY(notice->isVisible());
        QVERIFY(!main->isVisible());
        r.t.clock.advanceTo(t0 + 1800);
        QVERIFY(!notice->isVisible());
        QVERIFY(main->isVisible());
        QVERIFY(!options->Timer1.running() && !options->Timer2.running() &&
                !options->Timer3.running());
        QCOMPARE(r.commands().size(), 2);
        QVERIFY(r.t.dialogs.errors.isEmpty());
        QVERIFY(r.t.dialogs.messages.isEmpty());
    }

    void tel2ModeTakesTheValuesWhenItFires() {
        SimRun r;
        r.startAtMenu();
        TForm5* options = openOptions(r);
        options->BitBtn1->click();
        r.t.app->State.LogModeTel2 = 1;
        r.t.app->State.TaModel = 1;
        r.t.clock.advance(700);
        QCOMPARE(r.commands().last(), QByteArray("ATE0\\T2/1*41\r"));
    }

    void newPasswordConfirmed() {
        SimRun r;
        r.startAtMenu();
        ProgramState& s = r.t.app->State;
        TForm5* options = openOptions(r);
        QCOMPARE(options->Edit1->text(), QString());
        options->Edit1->setText(QStringLiteral("0012"));
        const int64_t t0 = r.t.clock.now();
        options->BitBtn1->click();

        TForm10* confirm = r.t.app->F.Form10;
        QVERIFY(confirm->isVisible());
        QVERIFY(!options->isVisible());
        QVERIFY(!r.t.app->F.Form19->isVisible());
        QCOMPARE(s.ConfirmKind, 5);
        QCOMPARE(confirm->Label1->text(), QStringLiteral("パスワードを変更しますと通話記録が"));
        QCOMPARE(confirm->Label2->text(), QStringLiteral("初期化されます。よろしいですか？"));
        QCOMPARE(s.UserSet2, 12);
        QCOMPARE(s.NewPasswordCode, 13);
        QCOMPARE(s.PasswordCode, 0);
        // SET1 is written with the code still in force; SET2 already has the typed number.
        QCOMPARE(setting(r, "USER", "SET1"), 0);
        QCOMPARE(setting(r, "USER", "SET2"), 12);

        r.t.clock.advanceTo(t0 + 1000);
        QCOMPARE(r.commands().size(), 2);
        QVERIFY(r.portOpen());
        confirm->BitBtn1->click();
        QCOMPARE(r.commands().last(), QByteArray("ATG53=13\\L3\r"));
        QCOMPARE(r.adapter.config().passwordCode, 13);
        QCOMPARE(s.PasswordCode, 13);
        QCOMPARE(s.LogImage[0], uint8_t(255));
        QCOMPARE(setting(r, "USER", "SET1"), 13);
        QCOMPARE(setting(r, "USER", "SET2"), 12);
        QVERIFY(r.t.app->F.Main->isVisible());
        r.t.clock.advanceTo(t0 + 1499);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 1500);
        QVERIFY(!r.portOpen());

        openOptions(r);
        QCOMPARE(options->Edit1->text(), QStringLiteral("12"));
    }

    void quickAnswerClosesThePortBeforeTheTel2Mode() {
        SimRun r;
        r.startAtMenu();
        TForm5* options = openOptions(r);
        options->Edit1->setText(QStringLiteral("5"));
        const int64_t t0 = r.t.clock.now();
        options->BitBtn1->click();
        r.t.app->F.Form10->BitBtn1->click();
        r.t.clock.advanceTo(t0 + 500);
        QVERIFY(!r.portOpen());
        // Timer1 finds the port closed: it stops, and the failure is told once.
        r.t.clock.advanceTo(t0 + 5000);
        QVERIFY(!options->Timer1.running());
        QCOMPARE(r.t.dialogs.errors, QStringList{QStringLiteral("通信が開始されていない。")});
        QCOMPARE(r.commands(), (QList<QByteArray>{"AT\\T1/9*03\r", "ATG53=6\\L3\r"}));
    }

    void newPasswordRefused() {
        SimRun r;
        r.t.writeSettings("[USER]\nSET1=13\nSET2=12\n");
        r.startAtMenu();
        ProgramState& s = r.t.app->State;
        TForm5* options = openOptions(r);
        options->Edit1->setText(QStringLiteral("34"));
        options->BitBtn1->click();
        r.t.app->F.Form10->BitBtn2->click();
        QCOMPARE(s.PasswordCode, 13);
        QCOMPARE(s.UserSet2, 34);
        QCOMPARE(setting(r, "USER", "SET1"), 13);
        QCOMPARE(setting(r, "USER", "SET2"), 34);
        QVERIFY(r.t.app->F.Main->isVisible());
        r.t.clock.advance(500);
        QVERIFY(!r.portOpen());
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\T1/9*03\r"});
        openOptions(r);
        QCOMPARE(options->Edit1->text(), QStringLiteral("34"));
    }

    void passwordBoxWithoutChange_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("userSet2");
        QTest::newRow("empty box, no password") << QByteArray() << QString() << 0;
        QTest::newRow("minus one is no password") << QByteArray() << "-1" << -1;
        QTest::newRow("same number") << QByteArray("[USER]\nSET1=13\nSET2=12\n") << "12" << 12;
        QTest::newRow("number with the same code")
            << QByteArray("[USER]\nSET1=13\nSET2=12\n") << "267" << 267;
    }
    void passwordBoxWithoutChange() {
        QFETCH(QByteArray, settings);
        QFETCH(QString, typed);
        SimRun r;
        r.t.writeSettings(settings);
        r.startAtMenu();
        TForm5* options = openOptions(r);
        options->Edit1->setText(typed);
        options->BitBtn1->click();
        QVERIFY(!r.t.app->F.Form10->isVisible());
        QVERIFY(r.t.app->F.Form19->isVisible());
        QTEST(r.t.app->State.UserSet2, "userSet2");
        QTEST(setting(r, "USER", "SET2"), "userSet2");
    }

    void clearButtonRemovesThePasswordAfterConfirmation() {
        SimRun r;
        r.t.writeSettings("[USER]\nSET1=13\nSET2=12\n");
        r.startAtMenu();
        TForm5* options = openOptions(r);
        QCOMPARE(options->Button1->text(), QStringLiteral("無効"));
        options->Button1->click();
        QCOMPARE(options->Edit1->text(), QString());
        QCOMPARE(r.t.app->State.PasswordCode, 13);
        options->BitBtn1->click();
        QVERIFY(r.t.app->F.Form10->isVisible());
        QCOMPARE(r.t.app->State.NewPasswordCode, 0);
        r.t.app->F.Form10->BitBtn1->click();
        QCOMPARE(r.commands().last(), QByteArray("ATG53=0\\L3\r"));
        QCOMPARE(r.t.app->State.PasswordCode, 0);
        QCOMPARE(setting(r, "USER", "SET1"), 0);
        openOptions(r);
        QCOMPARE(options->Edit1->text(), QString());
    }

    void passwordThatIsNotANumber() {
        SimRun r;
        r.t.writeSettings("[USER]\nSET1=13\nSET2=12\n");
        r.startAtMenu();
        TForm5* options = openOptions(r);
        options->Edit1->setText(QStringLiteral("1x"));
        options->RadioGroup1->button(3)->click();
        const int64_t t0 = r.t.clock.now();
        options->BitBtn1->click();
        QCOMPARE(r.t.dialogs.messages.size(), 1);
        QCOMPARE(r.t.dialogs.messages[0].text,
                 QStringLiteral("パスワードは半角数字４桁を入力してください"));
        // The window closed (the menu came back) and the other settings were saved anyway.
        QVERIFY(!options->isVisible());
        QVERIFY(r.t.app->F.Main->isVisible());
        QVERIFY(!r.t.app->F.Form10->isVisible());
        QCOMPARE(r.t.app->State.UserSet2, 12);
        QCOMPARE(setting(r, "USER", "SET2"), 12);
        QCOMPARE(setting(r, "LOG", "PORT1"), 0);
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\T1/9*00\r"});
        r.t.clock.advanceTo(t0 + 1800);
        QVERIFY(!r.t.app->F.Form19->isVisible());
        QVERIFY(r.t.app->F.Main->isVisible());
    }

    void dialLineThreeInTheFile_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("dialLineShown");
        QTest::addColumn<int>("dialLineSaved");
        QTest::newRow("TALVE-X2 keeps it, shows TEL 2") << 0 << 3 << 2;
        QTest::newRow("TALVE-X1 resets it") << 1 << 1 << 1;
        QTest::newRow("no model resets it") << -1 << 1 << 1;
    }
    void dialLineThreeInTheFile() {
        QFETCH(int, model);
        SimRun r;
        r.t.writeSettings(QByteArray("[TEL]\nPORT=3\n[TA]\nNO=") + QByteArray::number(model) +
                          '\n');
        r.startAtMenu();
        TForm5* options = openOptions(r);
        QTEST(r.t.app->State.DialLine, "dialLineShown");
        QCOMPARE(options->RadioGroup2->ItemIndex(), model == 0 ? 1 : 0);
        options->BitBtn1->click();
        QTEST(r.t.app->State.DialLine, "dialLineSaved");
        QTEST(setting(r, "TEL", "PORT"), "dialLineSaved");
    }

    void changingTheModelResetsTheDialLineGroup() {
        SimRun r;
        r.startAtMenu();
        TForm5* options = openOptions(r);
        options->RadioGroup2->button(1)->click();
        QCOMPARE(options->RadioGroup2->ItemIndex(), 1);
        options->RadioGroup6->button(1)->click();
        QCOMPARE(options->RadioGroup2->ItemIndex(), 0);
        QVERIFY(options->RadioGroup1->isEnabled());
        QCOMPARE(r.t.app->State.DialLine, 1);
    }

    void comPortZeroEndsInThePortMessage() {
        SimRun r;
        r.t.writeSettings("[RS232C]\nCOM=0\n");
        r.startAtMenu();
        TForm5* options = openOptions(r);
        QCOMPARE(options->RadioGroup3->ItemIndex(), -1);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!options->RadioGroup3->button(i)->isChecked());
        }
        options->BitBtn1->click();
        QVERIFY(r.t.app->F.Form14->isVisible());
        QVERIFY(!options->isVisible());
        QVERIFY(!r.t.app->F.Form19->isVisible());
        QCOMPARE(r.t.app->State.ComPort, 0);
        QCOMPARE(r.t.app->F.Form11->Comm1.Port(), uint8_t(0));
        QCOMPARE(r.line->opens, 0);
        QCOMPARE(setting(r, "RS232C", "COM"), 0);
        // Its OK leads back to the options, where another port can be chosen.
        r.t.app->F.Form14->Button1->click();
        QVERIFY(options->isVisible());
        options->RadioGroup3->button(0)->click();
        options->BitBtn1->click();
        QCOMPARE(r.commands().size(), 1);
        QCOMPARE(setting(r, "RS232C", "COM"), 1);
    }

    void unwritableSettingsFileEndsInThePortMessage() {
        SimRun r;
        QVERIFY(QDir(r.t.folder()).mkdir(QStringLiteral("tilka.Ini")));
        r.startAtMenu();
        TForm5* options = openOptions(r);
        const int64_t t0 = r.t.clock.now();
        options->BitBtn1->click();
        QVERIFY(r.t.app->F.Form14->isVisible());
        QVERIFY(!options->isVisible());
        QVERIFY(!r.t.app->F.Form19->isVisible());
        QVERIFY(QFileInfo(r.t.filePath(QStringLiteral("tilka.Ini"))).isDir());
        // The port the save opened is closed as after any save.
        r.t.clock.advanceTo(t0 + 1500);
        QVERIFY(!r.portOpen());
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void cancelCloseBoxAndHelp() {
        SimRun r;
        r.startAtMenu();
        TForm5* options = openOptions(r);
        options->RadioGroup3->button(2)->click();
        options->BitBtn2->click();
        QVERIFY(!options->isVisible());
        QVERIFY(r.t.app->F.Main->isVisible());
        QCOMPARE(r.t.app->State.ComPort, 1);
        QCOMPARE(r.line->opens, 0);
        QVERIFY(!QFile::exists(r.t.filePath(QStringLiteral("tilka.Ini"))));

        openOptions(r);
        QCOMPARE(options->RadioGroup3->ItemIndex(), 0);
        options->BitBtn3->click();
        QCOMPARE(r.t.help.requests, QStringList{"context 12"});
        options->close();
        QVERIFY(r.t.app->F.Main->isVisible());

        // From the compact menu, the compact menu comes back.
        r.t.app->F.Main->K7Click();
        r.t.app->F.Form18->BitBtn5->click();
        QVERIFY(options->isVisible());
        QVERIFY(!r.t.app->F.Form18->isVisible());
        options->BitBtn2->click();
        QVERIFY(r.t.app->F.Form18->isVisible());
        QVERIFY(!r.t.app->F.Main->isVisible());
    }

    void delayedCloseRestartsOnlyForAnotherDelay() {
        SimRun r;
        r.startAtMenu();
        TForm5* options = r.t.app->F.Form5;
        r.t.app->F.Form11->Comm1.Open();
        const int64_t t0 = r.t.clock.now();
        options->DelayComClose(500);
        r.t.clock.advanceTo(t0 + 300);
        options->DelayComClose(500);
        r.t.clock.advanceTo(t0 + 499);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 500);
        QVERIFY(!r.portOpen());
        QVERIFY(!options->Timer2.running());

        r.t.app->F.Form11->Comm1.Open();
        const int64_t t1 = r.t.clock.now();
        options->DelayComClose(500);
        r.t.clock.advanceTo(t1 + 300);
        options->DelayComClose(1000);
        r.t.clock.advanceTo(t1 + 1299);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t1 + 1300);
        QVERIFY(!r.portOpen());
    }
};

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
