#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "adapter/devicelink.h"
#include "state/inifile.h"
#include "support/simrun.h"
#include "windows/compactmenuwindow.h"
#include "windows/confirmationwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/optiongroup.h"
#include "windows/optionssavedwindow.h"
#include "windows/optionswindow.h"
#include "windows/portmessagewindow.h"

namespace {

int setting(const SimRun& r, const char* section, const char* key) {
    return appstate::IniFile(r.t.filePath(QStringLiteral("tilka.Ini")))
        .readInteger(QString::fromLatin1(section), QString::fromLatin1(key), -999);
}

// Opens the options from the main menu, as the user does.
OptionsWindow* openOptions(SimRun& r) {
    r.t.app->windows.mainMenu->optionsButton->click();
    return r.t.app->windows.options;
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
        OptionsWindow* options = openOptions(r);
        QVERIFY(options->isVisible());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
        QCOMPARE(options->comPortGroup->selectedIndex(), 2);
        QCOMPARE(options->tel1LogModeGroup->selectedIndex(), 1);
        QCOMPARE(options->tel2LogModeGroup->selectedIndex(), 3);
        QCOMPARE(options->modelGroup->selectedIndex(), 1);
        QCOMPARE(options->dialLineGroup->items(), (QStringList{"TEL 1", "TEL 2"}));
        QCOMPARE(options->dialLineGroup->selectedIndex(), 0);
        QCOMPARE(options->passwordField->text(), QStringLiteral("12"));
        QCOMPARE(options->passwordField->echoMode(), QLineEdit::Password);
        QCOMPARE(options->passwordField->maxLength(), 4);
        QCOMPARE(r.t.app->state.newPasswordCode, 13);
        QVERIFY(r.commands().isEmpty());
    }

    void logModeOutsideTheItemsKeepsTheSelection() {
        SimRun r;
        r.t.writeSettings("[LOG]\nPORT1=7\n");
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        QCOMPARE(options->tel1LogModeGroup->selectedIndex(), -1);
        options->tel1LogModeGroup->setSelectedIndex(2);
        options->cancelButton->click();
        openOptions(r);
        QCOMPARE(options->tel1LogModeGroup->selectedIndex(), 2);
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
        appstate::ProgramState& s = r.t.app->state;
        s.adapterIdentified = true;
        s.logImage.markEmpty();
        OptionsWindow* options = openOptions(r);
        // With no model both log groups are disabled, yet their selections are saved.
        QCOMPARE(options->tel1LogModeGroup->isEnabled(), model != -1);
        QCOMPARE(options->tel2LogModeGroup->isEnabled(), model != -1);
        OptionsSavedWindow* notice = r.t.app->windows.optionsSaved;
        MainMenuWindow* main = r.t.app->windows.mainMenu;
        const int64_t t0 = r.t.clock.now();

        options->saveButton->click();
        QCOMPARE(r.commands(), QList<QByteArray>{tel1});
        QVERIFY(r.portOpen());
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->noticeLabel->text(), QStringLiteral("設定保存中"));
        QVERIFY(!options->isVisible());
        QVERIFY(!main->isVisible());
        QVERIFY(!s.adapterIdentified);
        QCOMPARE(s.logImage.bytes()[0], uint8_t(255));
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
        QVERIFY(!r.t.app->link.tel2LogModeTimer().running() &&
                !r.t.app->link.portCloseTimer().running() && !options->saveNoticeTimer.running());
        QCOMPARE(r.commands().size(), 2);
        QVERIFY(r.t.dialogs.errors.isEmpty());
        QVERIFY(r.t.dialogs.messages.isEmpty());
    }

    void tel2ModeTakesTheValuesWhenItFires() {
        SimRun r;
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        options->saveButton->click();
        r.t.app->state.settings.logModeTel2 = 1;
        r.t.app->state.settings.adapterModel = 1;
        r.t.clock.advance(700);
        QCOMPARE(r.commands().last(), QByteArray("ATE0\\T2/1*41\r"));
    }

    void newPasswordConfirmed() {
        SimRun r;
        r.startAtMenu();
        appstate::ProgramState& s = r.t.app->state;
        OptionsWindow* options = openOptions(r);
        QCOMPARE(options->passwordField->text(), QString());
        options->passwordField->setText(QStringLiteral("0012"));
        const int64_t t0 = r.t.clock.now();
        options->saveButton->click();

        ConfirmationWindow* confirm = r.t.app->windows.confirmation;
        QVERIFY(confirm->isVisible());
        QVERIFY(!options->isVisible());
        QVERIFY(!r.t.app->windows.optionsSaved->isVisible());
        QCOMPARE(r.t.app->windows.confirmation->action(), 5);
        QCOMPARE(confirm->firstLine->text(), QStringLiteral("パスワードを変更しますと通話記録が"));
        QCOMPARE(confirm->secondLine->text(), QStringLiteral("初期化されます。よろしいですか？"));
        QCOMPARE(s.settings.passwordNumber, 12);
        QCOMPARE(s.newPasswordCode, 13);
        QCOMPARE(s.settings.passwordCode, 0);
        // SET1 is written with the code still in force; SET2 already has the typed number.
        QCOMPARE(setting(r, "USER", "SET1"), 0);
        QCOMPARE(setting(r, "USER", "SET2"), 12);

        r.t.clock.advanceTo(t0 + 1000);
        QCOMPARE(r.commands().size(), 2);
        QVERIFY(r.portOpen());
        confirm->yesButton->click();
        QCOMPARE(r.commands().last(), QByteArray("ATG53=13\\L3\r"));
        QCOMPARE(r.adapter.config().passwordCode, 13);
        QCOMPARE(s.settings.passwordCode, 13);
        QCOMPARE(s.logImage.bytes()[0], uint8_t(255));
        QCOMPARE(setting(r, "USER", "SET1"), 13);
        QCOMPARE(setting(r, "USER", "SET2"), 12);
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
        r.t.clock.advanceTo(t0 + 1499);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 1500);
        QVERIFY(!r.portOpen());

        openOptions(r);
        QCOMPARE(options->passwordField->text(), QStringLiteral("12"));
    }

    void quickAnswerClosesThePortBeforeTheTel2Mode() {
        SimRun r;
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        options->passwordField->setText(QStringLiteral("5"));
        const int64_t t0 = r.t.clock.now();
        options->saveButton->click();
        r.t.app->windows.confirmation->yesButton->click();
        r.t.clock.advanceTo(t0 + 500);
        QVERIFY(!r.portOpen());
        // The TEL 2 mode timer finds the port closed: it stops, and the failure is told once.
        r.t.clock.advanceTo(t0 + 5000);
        QVERIFY(!r.t.app->link.tel2LogModeTimer().running());
        QCOMPARE(r.t.dialogs.errors, QStringList{QStringLiteral("通信が開始されていない。")});
        QCOMPARE(r.commands(), (QList<QByteArray>{"AT\\T1/9*03\r", "ATG53=6\\L3\r"}));
    }

    void newPasswordRefused() {
        SimRun r;
        r.t.writeSettings("[USER]\nSET1=13\nSET2=12\n");
        r.startAtMenu();
        appstate::ProgramState& s = r.t.app->state;
        OptionsWindow* options = openOptions(r);
        options->passwordField->setText(QStringLiteral("34"));
        options->saveButton->click();
        r.t.app->windows.confirmation->noButton->click();
        QCOMPARE(s.settings.passwordCode, 13);
        QCOMPARE(s.settings.passwordNumber, 34);
        QCOMPARE(setting(r, "USER", "SET1"), 13);
        QCOMPARE(setting(r, "USER", "SET2"), 34);
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
        r.t.clock.advance(500);
        QVERIFY(!r.portOpen());
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\T1/9*03\r"});
        openOptions(r);
        QCOMPARE(options->passwordField->text(), QStringLiteral("34"));
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
        OptionsWindow* options = openOptions(r);
        options->passwordField->setText(typed);
        options->saveButton->click();
        QVERIFY(!r.t.app->windows.confirmation->isVisible());
        QVERIFY(r.t.app->windows.optionsSaved->isVisible());
        QTEST(r.t.app->state.settings.passwordNumber, "userSet2");
        QTEST(setting(r, "USER", "SET2"), "userSet2");
    }

    void clearButtonRemovesThePasswordAfterConfirmation() {
        SimRun r;
        r.t.writeSettings("[USER]\nSET1=13\nSET2=12\n");
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        QCOMPARE(options->clearPasswordButton->text(), QStringLiteral("無効"));
        options->clearPasswordButton->click();
        QCOMPARE(options->passwordField->text(), QString());
        QCOMPARE(r.t.app->state.settings.passwordCode, 13);
        options->saveButton->click();
        QVERIFY(r.t.app->windows.confirmation->isVisible());
        QCOMPARE(r.t.app->state.newPasswordCode, 0);
        r.t.app->windows.confirmation->yesButton->click();
        QCOMPARE(r.commands().last(), QByteArray("ATG53=0\\L3\r"));
        QCOMPARE(r.t.app->state.settings.passwordCode, 0);
        QCOMPARE(setting(r, "USER", "SET1"), 0);
        openOptions(r);
        QCOMPARE(options->passwordField->text(), QString());
    }

    void passwordThatIsNotANumber() {
        SimRun r;
        r.t.writeSettings("[USER]\nSET1=13\nSET2=12\n");
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        options->passwordField->setText(QStringLiteral("1x"));
        options->tel1LogModeGroup->button(3)->click();
        const int64_t t0 = r.t.clock.now();
        options->saveButton->click();
        QCOMPARE(r.t.dialogs.messages.size(), 1);
        QCOMPARE(r.t.dialogs.messages[0].text,
                 QStringLiteral("パスワードは半角数字４桁を入力してください"));
        // The window closed (the menu came back) and the other settings were saved anyway.
        QVERIFY(!options->isVisible());
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
        QVERIFY(!r.t.app->windows.confirmation->isVisible());
        QCOMPARE(r.t.app->state.settings.passwordNumber, 12);
        QCOMPARE(setting(r, "USER", "SET2"), 12);
        QCOMPARE(setting(r, "LOG", "PORT1"), 0);
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\T1/9*00\r"});
        r.t.clock.advanceTo(t0 + 1800);
        QVERIFY(!r.t.app->windows.optionsSaved->isVisible());
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
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
        OptionsWindow* options = openOptions(r);
        QTEST(r.t.app->state.settings.dialLine, "dialLineShown");
        QCOMPARE(options->dialLineGroup->selectedIndex(), model == 0 ? 1 : 0);
        options->saveButton->click();
        QTEST(r.t.app->state.settings.dialLine, "dialLineSaved");
        QTEST(setting(r, "TEL", "PORT"), "dialLineSaved");
    }

    void changingTheModelResetsTheDialLineGroup() {
        SimRun r;
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        options->dialLineGroup->button(1)->click();
        QCOMPARE(options->dialLineGroup->selectedIndex(), 1);
        options->modelGroup->button(1)->click();
        QCOMPARE(options->dialLineGroup->selectedIndex(), 0);
        QVERIFY(options->tel1LogModeGroup->isEnabled());
        QCOMPARE(r.t.app->state.settings.dialLine, 1);
    }

    void comPortZeroEndsInThePortMessage() {
        SimRun r;
        r.t.writeSettings("[RS232C]\nCOM=0\n");
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        QCOMPARE(options->comPortGroup->selectedIndex(), -1);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!options->comPortGroup->button(i)->isChecked());
        }
        options->saveButton->click();
        QVERIFY(r.t.app->windows.portMessage->isVisible());
        QVERIFY(!options->isVisible());
        QVERIFY(!r.t.app->windows.optionsSaved->isVisible());
        QCOMPARE(r.t.app->state.settings.comPort, 0);
        QCOMPARE(r.t.app->link.portNumber(), uint8_t(0));
        QCOMPARE(r.line->opens, 0);
        QCOMPARE(setting(r, "RS232C", "COM"), 0);
        // Its OK leads back to the options, where another port can be chosen.
        r.t.app->windows.portMessage->okButton->click();
        QVERIFY(options->isVisible());
        options->comPortGroup->button(0)->click();
        options->saveButton->click();
        QCOMPARE(r.commands().size(), 1);
        QCOMPARE(setting(r, "RS232C", "COM"), 1);
    }

    void unwritableSettingsFileEndsInThePortMessage() {
        SimRun r;
        QVERIFY(QDir(r.t.folder()).mkdir(QStringLiteral("tilka.Ini")));
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        const int64_t t0 = r.t.clock.now();
        options->saveButton->click();
        QVERIFY(r.t.app->windows.portMessage->isVisible());
        QVERIFY(!options->isVisible());
        QVERIFY(!r.t.app->windows.optionsSaved->isVisible());
        QVERIFY(QFileInfo(r.t.filePath(QStringLiteral("tilka.Ini"))).isDir());
        // The port the save opened is closed as after any save.
        r.t.clock.advanceTo(t0 + 1500);
        QVERIFY(!r.portOpen());
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void cancelCloseBoxAndHelp() {
        SimRun r;
        r.startAtMenu();
        OptionsWindow* options = openOptions(r);
        options->comPortGroup->button(2)->click();
        options->cancelButton->click();
        QVERIFY(!options->isVisible());
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
        QCOMPARE(r.t.app->state.settings.comPort, 1);
        QCOMPARE(r.line->opens, 0);
        QVERIFY(!QFile::exists(r.t.filePath(QStringLiteral("tilka.Ini"))));

        openOptions(r);
        QCOMPARE(options->comPortGroup->selectedIndex(), 0);
        options->helpButton->click();
        QCOMPARE(r.t.help.requests, QStringList{"context 12"});
        options->close();
        QVERIFY(r.t.app->windows.mainMenu->isVisible());

        // From the compact menu, the compact menu comes back.
        r.t.app->windows.mainMenu->compactMenuClicked();
        r.t.app->windows.compactMenu->optionsButton->click();
        QVERIFY(options->isVisible());
        QVERIFY(!r.t.app->windows.compactMenu->isVisible());
        options->cancelButton->click();
        QVERIFY(r.t.app->windows.compactMenu->isVisible());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
    }

    void delayedCloseRestartsOnlyForAnotherDelay() {
        SimRun r;
        r.startAtMenu();
        QVERIFY(r.t.app->link.openPort());
        const int64_t t0 = r.t.clock.now();
        r.t.app->link.closePortLater(500);
        r.t.clock.advanceTo(t0 + 300);
        r.t.app->link.closePortLater(500);
        r.t.clock.advanceTo(t0 + 499);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 500);
        QVERIFY(!r.portOpen());
        QVERIFY(!r.t.app->link.portCloseTimer().running());

        QVERIFY(r.t.app->link.openPort());
        const int64_t t1 = r.t.clock.now();
        r.t.app->link.closePortLater(500);
        r.t.clock.advanceTo(t1 + 300);
        r.t.app->link.closePortLater(1000);
        r.t.clock.advanceTo(t1 + 1299);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t1 + 1300);
        QVERIFY(!r.portOpen());
    }
};

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
