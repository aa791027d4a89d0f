#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "link/posixserialdevice.h"
#include "state/inifile.h"
#include "state/saveddevice.h"
#include "support/testapp.h"
#include "windows/navigation.h"
#include "windows/optiongroup.h"
#include "windows/optionswindow.h"
#include "windows/portmessagewindow.h"

namespace {

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
};

QTEST_MAIN(OptionsWindowTest)
#include "optionswindow_test.moc"
