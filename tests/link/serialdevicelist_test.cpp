#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "hgsim/ptyport.h"
#include "link/posixserialdevice.h"
#include "link/serialdevicelist.h"
#include "state/inifile.h"
#include "state/saveddevice.h"

namespace {

// A /dev tree of plain files and links; which names answer as terminals is the test's choice.
struct FakeDev {
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    void add(const QString& name) const {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    void addLink(const QString& name, const QString& target) const {
        QDir(dir.path()).mkpath(QStringLiteral("serial/by-id"));
        QVERIFY(QFile::link(target, path(QStringLiteral("serial/by-id/") + name)));
    }
};

QStringList pathsOf(const std::vector<comm::SerialDeviceEntry>& entries, const QString& root) {
    QStringList paths;
    for (const auto& e : entries) {
        paths << QDir(root).relativeFilePath(e.path);
    }
    return paths;
}

}  // namespace

class SerialDeviceListTest : public QObject {
    Q_OBJECT
private slots:
    void listsStableLinksFirstThenTerminalsInNaturalOrder() {
        FakeDev dev;
        for (const char* name : {"ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB10", "ttyUSB2",
                                 "ttyUSB0", "ttyACM0", "ttySAC0", "ttyprintk", "tty0"}) {
            dev.add(QString::fromLatin1(name));
        }
        const QString ftdi = QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        dev.addLink(ftdi, QStringLiteral("../../ttyUSB0"));
        dev.addLink(QStringLiteral("usb-Prolific_Technology_Inc._USB-Serial_Controller-if00"),
                    QStringLiteral("../../ttyUSB10"));
        dev.addLink(QStringLiteral("usb-Gone_Adapter_123-if00-port0"),
                    QStringLiteral("../../ttyUSB7"));
        // ttyS1 has no UART behind it.
        const auto answers = [](const QString& p) { return !p.endsWith(QStringLiteral("ttyS1")); };

        const auto list = comm::listSerialDevices(dev.dir.path(), answers);
        QCOMPARE(
            pathsOf(list, dev.dir.path()),
            QStringList({"serial/by-id/" + ftdi,
                         "serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00",
                         "ttyUSB2", "ttyACM0", "ttyS0", "ttyS2", "ttyS10"}));
        QCOMPARE(list[0].label, QStringLiteral("FT232R USB UART"));
        QCOMPARE(list[0].device, dev.path(QStringLiteral("ttyUSB0")));
        QCOMPARE(list[1].label, QStringLiteral("Technology Inc. USB-Serial Controller"));
        QCOMPARE(list[2].label, QStringLiteral("ttyUSB2"));

        QVERIFY(
            comm::listSerialDevices(QDir(dev.dir.path()).filePath(QStringLiteral("none")), answers)
                .empty());
    }

    void productNameOfLink() {
        QCOMPARE(comm::productNameOfLink(QStringLiteral("usb-1a86_USB2.0-Ser__12345-if00")),
                 QStringLiteral("USB2.0-Ser"));
        QCOMPARE(comm::productNameOfLink(QStringLiteral("usb-Maker_CP2102-if00-port0")),
                 QStringLiteral("CP2102"));
        QCOMPARE(comm::productNameOfLink(QStringLiteral("pci-0000:00:16.3")),
                 QStringLiteral("pci-0000:00:16.3"));
    }

    // The COMn entry beside the executable wins, then the device chosen in the options, then the
    // PC's own port.
    void portReachesLinkThenSavedDeviceThenUart() {
        QTemporaryDir folder;
        const QString saved = QStringLiteral("/dev/serial/by-id/usb-A_B_C-if00-port0");
        QCOMPARE(comm::PosixSerialDevice::pathFor(folder.path(), 2, saved), saved);
        QCOMPARE(comm::PosixSerialDevice::pathFor(folder.path(), 2), QStringLiteral("/dev/ttyS1"));
        QVERIFY(
            QFile::link(QStringLiteral("/nonexistent"), folder.filePath(QStringLiteral("COM2"))));
        QCOMPARE(comm::PosixSerialDevice::pathFor(folder.path(), 2, saved),
                 folder.filePath(QStringLiteral("COM2")));
    }

    // The choice kept in the settings file is the device the program opens for that port.
    void savedChoiceOpensThatDevice() {
        QTemporaryDir ptyFolder;
        QTemporaryDir folder;
        hgsim::PtyPort pty(ptyFolder.path(), 1);
        QVERIFY(pty.isValid());
        const appstate::IniFile settings(folder.filePath(QStringLiteral("tilka.Ini")));
        QVERIFY(settings.writeInteger(QStringLiteral("RS232C"), QStringLiteral("COM"), 4));
        QVERIFY(appstate::saveDeviceFor(settings, 4, pty.devicePath()));
        QVERIFY(!appstate::saveDeviceFor(settings, 3, QStringLiteral("/dev/a\nCOM=1")));
        QCOMPARE(appstate::savedDeviceFor(settings, 3), QString());
        QFile file(settings.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[RS232C]\nCOM=4\nCOM4DEVICE=" + pty.devicePath().toUtf8() + '\n');

        comm::PosixSerialDeviceFactory ports(
            folder.path(), [&](int port) { return appstate::savedDeviceFor(settings, port); });
        auto device = ports.create();
        QVERIFY(device->open(4, comm::LineSettings{}));
        QVERIFY(!device->permissionDenied());
        device->close();
    }
};

QTEST_GUILESS_MAIN(SerialDeviceListTest)
#include "serialdevicelist_test.moc"
