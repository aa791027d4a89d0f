#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "link/posixserialdevice.h"
#include "state/inifile.h"
#include "state/saveddevice.h"
#include "support/simrun.h"
#include "support/testapp.h"
#include "windows/confirmationwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"
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

// The program with a /dev tree of its own: one USB adapter, ttyUSB0, with its stable link.
struct DeviceRun {
    DeviceRun() {
        for (int n = 1; n <= 9; ++n) {
            QFile::remove(t.filePath(QStringLiteral("COM%1").arg(n)));
        }
        QDir(dev.path()).mkpath(QStringLiteral("serial/by-id"));
        // A character device stands in for the adapter's terminal.
        QFile::link(QStringLiteral("/dev/null"), dev.filePath(QStringLiteral("ttyUSB0")));
        QFile::link(QStringLiteral("../../ttyUSB0"), stableName());
        t.ports = std::make_unique<comm::PosixSerialDeviceFactory>(
            t.folder(),
            [this](int port) {
                return appstate::savedDeviceFor(
                    appstate::IniFile(t.filePath(QStringLiteral("tilka.Ini"))), port);
            },
            dev.path());
        t.start();
        t.clock.advance(2000);
        options = t.app->windows.options;
    }
    QString stableName() const {
        return dev.filePath(QStringLiteral("serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0"));
    }
    void openOptions() {
        options->hide();
        t.app->nav().showOptions();
    }
    void choosePort(int index) {
        options->comPortGroup->setSelectedIndex(index);
        options->comPortGroup->onChosen();
    }
    void chooseDevice(int index) {
        options->deviceBox->setCurrentIndex(index);
        emit options->deviceBox->activated(index);
    }

    QTemporaryDir dev;
    TestApp t;
    OptionsWindow* options = nullptr;
};

}  // namespace

class OptionsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void deviceChoiceIsListedShownAndSaved() {
        DeviceRun r;
        r.openOptions();
        QComboBox* box = r.options->deviceBox;
        // The stable link stands for ttyUSB0, which is not listed a second time.
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("指定なし"));
        QCOMPARE(box->itemText(1), QStringLiteral("FT232R USB UART (%1)").arg(r.stableName()));
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(r.options->reachLabel->toolTip(), QStringLiteral("接続先: /dev/ttyS0"));

        r.chooseDevice(1);
        QCOMPARE(r.options->reachLabel->toolTip(),
                 QStringLiteral("接続先: %1 → /dev/null").arg(r.stableName()));
        // Each port keeps its own choice.
        r.choosePort(1);
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(r.options->reachLabel->toolTip(), QStringLiteral("接続先: /dev/ttyS1"));
        r.choosePort(0);
        QCOMPARE(box->currentData().toString(), r.stableName());

        // The save keeps the choice even though the device turns out not to be a terminal.
        r.options->saveButton->click();
        const QByteArray settings = r.t.readSettings();
        QVERIFY(settings.contains("COM1DEVICE=" + r.stableName().toUtf8() + '\n'));
        QVERIFY(!settings.contains("COM2DEVICE"));
        QVERIFY(r.t.app->windows.portMessage->isVisible());

        // Unplugged, the device stays the choice until another is made.
        QVERIFY(QFile::remove(r.stableName()));
        QVERIFY(QFile::remove(r.dev.filePath(QStringLiteral("ttyUSB0"))));
        r.openOptions();
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->currentText(), QStringLiteral("%1 (未接続)").arg(r.stableName()));

        // A COM1 entry beside the program wins over any choice.
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), r.t.filePath(QStringLiteral("COM1"))));
        r.openOptions();
        QCOMPARE(
            r.options->reachLabel->toolTip(),
            QStringLiteral("接続先: %1 → /dev/null").arg(r.t.filePath(QStringLiteral("COM1"))));
    }

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

    // The bytes and timings of the save are the link's; the window saves the settings and shows
    // the notice for 1.8 s.
    void saveWritesTheSettingsAndShowsTheNotice_data() {
        QTest::addColumn<int>("model");
        QTest::newRow("TALVE-X2") << 0;
        QTest::newRow("TALVE-X1") << 1;
        QTest::newRow("no model") << -1;
    }
    void saveWritesTheSettingsAndShowsTheNotice() {
        QFETCH(int, model);
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
        QCOMPARE(r.commands().size(), 1);
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

        r.t.clock.advanceTo(t0 + 1799);
        QVERIFY(notice->isVisible());
        QVERIFY(!main->isVisible());
        QVERIFY(!r.portOpen());
        r.t.clock.advanceTo(t0 + 1800);
        QVERIFY(!notice->isVisible());
        QVERIFY(main->isVisible());
        QVERIFY(!options->saveNoticeTimer.running());
        QCOMPARE(r.commands().size(), 2);
        QVERIFY(r.t.dialogs.errors.isEmpty());
        QVERIFY(r.t.dialogs.messages.isEmpty());
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

        // The code goes out on yes; the port closes half a second after the answer.
        r.t.clock.advanceTo(t0 + 1000);
        confirm->yesButton->click();
        QCOMPARE(r.commands().last(), QByteArray("ATG53=13\\L3\r"));
        QCOMPARE(s.settings.passwordCode, 13);
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
    }
};

QTEST_MAIN(OptionsWindowTest)
#include "optionswindow_test.moc"
