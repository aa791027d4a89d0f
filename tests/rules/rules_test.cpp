#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <vector>

#include "adapter/receivebuffer.h"
#include "protocol/chargereply.h"
#include "rules/password.h"
#include "state/inifile.h"
#include "state/programstate.h"
#include "state/settingswriter.h"
#include "windows/optiongroup.h"

namespace {

// The receive buffer after a reply: the reply from position 0, zeros behind it.
std::vector<uint8_t> rxBuffer(const QByteArray& reply) {
    std::vector<uint8_t> buffer(adapter::ReceiveBuffer::Size, 0);
    std::memcpy(buffer.data(), reply.constData(), static_cast<size_t>(reply.size()));
    return buffer;
}

ProgramState settingsState() {
    ProgramState s;
    s.ComPort = 2;
    s.DialLine = 1;
    s.LogModeTel1 = 0;
    s.LogModeTel2 = 2;
    s.PasswordCode = 13;
    s.passwordNumber = 12;
    s.clockDriftSetting = 99;
    s.adapterModel = -1;
    return s;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class SettingsRulesTest : public QObject {
    Q_OBJECT
private slots:
    void passwordText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("code");
        QTest::newRow("leading zeros") << "0012" << true << 12 << 13;
        QTest::newRow("wraps at 255") << "267" << true << 267 << 13;
        QTest::newRow("zero") << "0" << true << 0 << 1;
        QTest::newRow("255 shares 0's code") << "255" << true << 255 << 1;
        QTest::newRow("minus one is no password") << "-1" << true << -1 << 0;
        QTest::newRow("negative keeps its sign") << "-254" << true << -254 << -253;
        QTest::newRow("empty") << "" << false << 0 << 0;
        QTest::newRow("letters") << "12a" << false << 0 << 0;
        QTest::newRow("sign only") << "-" << false << 0 << 0;
        QTest::newRow("five characters") << "12345" << false << 0 << 0;
        QTest::newRow("full-width digits") << "１２" << false << 0 << 0;
    }
    void passwordText() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<int32_t> number = settings::PasswordNumber(text);
        QCOMPARE(number.has_value(), valid);
        if (valid) {
            QTEST(*number, "number");
            QTEST(settings::PasswordCodeOf(*number), "code");
        }
    }

    void chargeReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("tel1");
        QTest::addColumn<QByteArray>("tel2");
        QTest::addColumn<QByteArray>("digital");
        QTest::newRow("cut at carriage return")
            << QByteArray("N6=  1234\rN7=  560\rN5=  0\r") << QByteArray("1234")
            << QByteArray("560") << QByteArray("0");
        QTest::newRow("ten characters without carriage return")
            << QByteArray("N6 = 1234567890123") << QByteArray("1234567890") << QByteArray()
            << QByteArray();
        QTest::newRow("spaces kept")
            << QByteArray("N7:    12 \r") << QByteArray() << QByteArray("  12 ") << QByteArray();
        QTest::newRow("no reply") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("later tag replaces earlier")
            << QByteArray("N5 = 1\r\nN5 = 22\r\n") << QByteArray() << QByteArray()
            << QByteArray("22");
        QTest::newRow("value field reaches into the next tag")
            << QByteArray("N6 = 12N7 = 3\r") << QByteArray("12N7 = 3") << QByteArray("3")
            << QByteArray();
        QTest::newRow("other tags ignored") << QByteArray("N4 = 9\rN8 = 9\rn6 = 9\r")
                                            << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("reply ends inside the field")
            << QByteArray("OK\r\nN6 = 12") << QByteArray("12") << QByteArray() << QByteArray();
        QTest::newRow("tag without room for a value")
            << QByteArray("N6") << QByteArray() << QByteArray() << QByteArray();
    }
    void chargeReply() {
        QFETCH(QByteArray, reply);
        const std::vector<uint8_t> buffer = rxBuffer(reply);
        const settings::ChargeAmounts a = settings::ParseChargeReply(buffer.data(), buffer.size());
        QTEST(a.Tel1, "tel1");
        QTEST(a.Tel2, "tel2");
        QTEST(a.Digital, "digital");
    }

    void chargeTagsOnlyUpToPosition255() {
        // Position p counts from 1: a tag at 255 is read, one at 256 is not.
        const QByteArray at255 = QByteArray(254, ' ') + "N6 = 77\r";
        const QByteArray at256 = QByteArray(255, ' ') + "N6 = 77\r";
        std::vector<uint8_t> buffer = rxBuffer(at255);
        QCOMPARE(settings::ParseChargeReply(buffer.data(), buffer.size()).Tel1, QByteArray("77"));
        buffer = rxBuffer(at256);
        QCOMPARE(settings::ParseChargeReply(buffer.data(), buffer.size()).Tel1, QByteArray());
    }

    void chargeTextStopsAtNul() {
        // Bytes of an older, longer reply behind the NUL are not part of the text.
        std::vector<uint8_t> buffer = rxBuffer(QByteArray("N6 = 5\r"));
        const QByteArray old = "N7 = 99\r";
        std::memcpy(buffer.data() + 20, old.constData(), static_cast<size_t>(old.size()));
        QCOMPARE(settings::ParseChargeReply(buffer.data(), buffer.size()).Tel2, QByteArray());
        // A buffer full to its last byte has no NUL at all and is read to its end.
        std::vector<uint8_t> full(adapter::ReceiveBuffer::Size, 'x');
        std::memcpy(full.data(), "N5 = 1\r", 7);
        QCOMPARE(settings::ParseChargeReply(full.data(), full.size()).Digital, QByteArray("1"));
    }

    void radioGroupIndexRules_data() {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("selected");
        QTest::newRow("inside") << 1 << 1;
        QTest::newRow("beyond the last") << 7 << 3;
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("below none") << -5 << -1;
    }
    void radioGroupIndexRules() {
        QFETCH(int, asked);
        QFETCH(int, selected);
        OptionGroup group(QStringLiteral("g"), nullptr);
        group.setItems({"a", "b", "c", "d"});
        group.setItemIndex(2);
        group.setItemIndex(asked);
        QCOMPARE(group.ItemIndex(), selected);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(group.button(i)->isChecked(), i == selected);
        }
    }

    void radioGroupClickRunsOnClickOnly() {
        OptionGroup group(QStringLiteral("g"), nullptr);
        int clicks = 0;
        group.OnClick = [&] { ++clicks; };
        group.setItems({"a", "b"});
        group.setItemIndex(0);
        QCOMPARE(clicks, 0);
        group.button(1)->click();
        QCOMPARE(clicks, 1);
        QCOMPARE(group.ItemIndex(), 1);
        group.clearItems();
        QCOMPARE(group.ItemIndex(), -1);
        group.setItemIndex(0);
        QCOMPARE(group.ItemIndex(), -1);
    }

    void settingsWrittenKeepingOtherLines() {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("tilka.Ini"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("; kept\n[RS232C]\nCOM=0x3\nBAUD=19200\n[Other]\nX=y\n[TA]\nNO=$1\n");
        }
        settings::WriteSettings(path, settingsState());
        const QByteArray written = readFile(path);
        QVERIFY2(
            written.startsWith("; kept\n[RS232C]\nCOM=2\nBAUD=19200\n[Other]\nX=y\n[TA]\nNO=-1\n"),
            written.constData());
        const IniFile ini(path);
        QCOMPARE(ini.readInteger("TEL", "PORT", 0), 1);
        QCOMPARE(ini.readInteger("LOG", "PORT1", 9), 0);
        QCOMPARE(ini.readInteger("LOG", "PORT2", 9), 2);
        QCOMPARE(ini.readInteger("USER", "SET1", 0), 13);
        QCOMPARE(ini.readInteger("USER", "SET2", 0), 12);
        QCOMPARE(ini.readInteger("TIME", "HG", 0), 99);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"tilka.Ini"});
    }

    void settingsFileCreatedInKeyOrder() {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("tilka.Ini"));
        settings::WriteSettings(path, settingsState());
        QCOMPARE(readFile(path), QByteArray("[RS232C]\nCOM=2\n[TEL]\nPORT=1\n[LOG]\nPORT1=0\n"
                                            "PORT2=2\n[USER]\nSET1=13\nSET2=12\n[TIME]\nHG=99\n"
                                            "[TA]\nNO=-1\n"));
    }

    void unwritableSettingsThrowAndChangeNothing() {
        QTemporaryDir dir;
        // A folder that does not exist cannot take the file.
        const QString missing = QDir(dir.path()).filePath(QStringLiteral("gone/tilka.Ini"));
        QVERIFY_THROWS_EXCEPTION(settings::ESettingsWriteError,
                                 settings::WriteSettings(missing, settingsState()));
        QVERIFY(!QFile::exists(missing));
        // A settings name taken by a folder can be neither read nor replaced.
        const QString taken = QDir(dir.path()).filePath(QStringLiteral("tilka.Ini"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tilka.Ini")));
        QVERIFY_THROWS_EXCEPTION(settings::ESettingsWriteError,
                                 settings::WriteSettings(taken, settingsState()));
        QVERIFY(QFileInfo(taken).isDir());
    }
};

QTEST_MAIN(SettingsRulesTest)
#include "rules_test.moc"
