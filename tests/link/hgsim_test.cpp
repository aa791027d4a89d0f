#include <QtTest>

#include "adapter/devicelink.h"
#include "app/application.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "protocol/hgcommands.h"
#include "support/scripteddialogs.h"
#include "windows/dialpad.h"

namespace {

const QDateTime Now(QDate(2026, 12, 8), QTime(10, 0));

QByteArray replyTo(hgsim::HgAdapter& adapter, const QByteArray& command) {
    QByteArray all;
    for (const hgsim::Burst& burst : adapter.receive(command)) {
        all += burst.bytes;
    }
    return all;
}

struct Entry {
    int ports;
    int kind;
    int32_t start;
    int32_t end;
    int charge;
    QByteArray number;
    QByteArray subNumber;
};

// Walks an image the way the adapter lays it out, independently of how it was written.
QList<Entry> entriesOf(const QByteArray& image) {
    QList<Entry> entries;
    const auto u8 = [&](int at) { return static_cast<uint8_t>(image[at]); };
    const auto be = [&](int at, int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) {
            v = (v << 8) | u8(at + i);
        }
        return v;
    };
    const auto digits = [&](int& at, int max) {
        QByteArray text;
        while (text.size() < max && u8(at) != 0) {
            text.append(image[at++]);
        }
        if (text.size() < max) {
            ++at;
        }
        return text;
    };
    int at = 0;
    while (u8(at) != 0) {
        Entry e{u8(at),
                u8(at + 1),
                static_cast<int32_t>(be(at + 2, 4)),
                static_cast<int32_t>(be(at + 6, 4)),
                static_cast<int>(be(at + 10, 2)),
                {},
                {}};
        at += 12;
        e.number = digits(at, 23);
        e.subNumber = digits(at, 21);
        entries.append(e);
    }
    return entries;
}

}  // namespace

class HgSimTest : public QObject {
    Q_OBJECT

private slots:
    void secondsScale_data() {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<int>("seconds");
        QTest::newRow("5 March 1998") << QDateTime(QDate(1998, 3, 5), QTime(9, 7, 30)) << 37098450;
        QTest::newRow("first day") << QDateTime(QDate(1997, 1, 1), QTime(0, 0)) << 86400;
        QTest::newRow("2026") << Now << 29 * 31536000 + 334 * 86400 + 8 * 86400 + 36000;
    }

    void secondsScale() {
        QFETCH(QDateTime, time);
        QFETCH(int, seconds);
        QCOMPARE(hgsim::scaleSeconds(time), seconds);
    }

    void oneCallGivesTheDocumentedEntryBytes() {
        QString error;
        const auto calls = hgsim::parseCalls(
            QStringLiteral("# worked example\n1 in 1997-01-11 11:00:00 125 80 0312345678\n"),
            &error);
        QVERIFY(error.isEmpty());
        const QByteArray image = hgsim::buildLogImage(calls);
        QCOMPARE(image.size(), 3086);
        QCOMPARE(image.left(25).toHex(' '),
                 QByteArray("01 02 00 0f 1b 30 00 0f 1b ad 00 50 30 33 31 32 33 34 35 36 37 38 00 "
                            "00 00"));
        QCOMPARE(image.count('\0'), 3086 - 19);  // the entry holds 19 non-zero bytes
    }

    void badCallLineIsNamed() {
        QString error;
        QVERIFY(hgsim::parseCalls(QStringLiteral("1 out 2026-12-01 09:15:00 185 30 031\n"
                                                 "9 out 2026-12-01 09:15:00 1 1 0"),
                                  &error)
                    .empty());
        QVERIFY(error.startsWith(QStringLiteral("line 2:")));
    }

    void longNumbersFillTheirFieldsWithoutZero() {
        hgsim::SimCall call;
        call.start = Now;
        call.number = QByteArray(23, '1');
        call.subNumber = QByteArray(21, '2');
        const QByteArray image = hgsim::buildLogImage({call, call});
        const QList<Entry> entries = entriesOf(image);
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1].number, call.number);
        QCOMPARE(entries[1].subNumber, call.subNumber);
        QCOMPARE(image[56 * 2], '\0');
    }

    void defaultLogIsVaried() {
        const QList<Entry> entries = entriesOf(hgsim::buildLogImage(hgsim::defaultCalls()));
        QVERIFY(entries.size() >= 10);
        QSet<int> kinds;
        int ports = 0;
        int answering = 0;
        int charged = 0;
        int withSub = 0;
        for (const Entry& e : entries) {
            kinds.insert(e.kind);
            ports |= e.ports;
            answering += e.start == 0 ? 1 : 0;
            charged += e.charge > 0 ? 1 : 0;
            withSub += e.subNumber.isEmpty() ? 0 : 1;
            QVERIFY(e.start == 0 || e.end >= e.start);
        }
        QCOMPARE(kinds, QSet<int>({0, 1, 2, 3, 4, 5}));
        QCOMPARE(ports, 7);
        QVERIFY(answering >= 2);
        QVERIFY(charged >= 3);
        QVERIFY(withSub >= 2);
    }

    void clockAndPasswordReply_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("codeText");
        QTest::newRow("no password") << 0 << 0 << QByteArray("000");
        QTest::newRow("code 123, clock behind") << 123 << -3600 << QByteArray("123");
        QTest::newRow("code 7") << 7 << 0 << QByteArray("007");
    }

    void clockAndPasswordReply() {
        QFETCH(int, code);
        QFETCH(int, offset);
        QFETCH(QByteArray, codeText);
        hgsim::HgConfig config;
        config.passwordCode = code;
        config.clockOffsetSeconds = offset;
        hgsim::HgAdapter adapter(config, [] { return Now; });
        const QByteArray reply = replyTo(adapter, protocol::hg::clockRequestCommand());
        QCOMPARE(reply.size(), 9);
        const uint32_t clock = (uint32_t(uint8_t(reply[0])) << 24) |
                               (uint32_t(uint8_t(reply[1])) << 16) |
                               (uint32_t(uint8_t(reply[2])) << 8) | uint8_t(reply[3]);
        QCOMPARE(static_cast<int32_t>(clock), hgsim::scaleSeconds(Now) + offset);
        QCOMPARE(reply.mid(6), codeText);
        // The log comes only for the matching code.
        QCOMPARE(replyTo(adapter, protocol::hg::logRequestCommand(code + 1)),
                 QByteArray("ERR\r\n"));
        QCOMPARE(replyTo(adapter, protocol::hg::logRequestCommand(code)),
                 hgsim::buildLogImage(hgsim::defaultCalls()));
    }

    void catalogueReplies() {
        hgsim::HgConfig config;
        config.dialReply = {{800, "AS"}, {300, "TS %L 17\r\n"}};
        hgsim::HgAdapter adapter(config, [] { return Now; });
        appstate::ProgramState s{};
        s.settings.adapterModel = 1;
        s.settings.logModeTel1 = 2;
        s.settings.logModeTel2 = 3;
        QCOMPARE(replyTo(adapter, protocol::hg::logModeTel1Command(s.settings.adapterModel,
                                                                   s.settings.logModeTel1)),
                 QByteArray("OK\r\n"));
        QCOMPARE(replyTo(adapter, protocol::hg::logModeTel2Command(s.settings.adapterModel,
                                                                   s.settings.logModeTel2)),
                 QByteArray("OK\r\n"));
        QCOMPARE(adapter.logModeTel1(), 2);
        QCOMPARE(adapter.logModeTel2(), 3);
        QVERIFY(
            replyTo(adapter, protocol::hg::logIdentifyCommand()).startsWith("TILKA HG SIMULATOR"));
        QCOMPARE(replyTo(adapter, protocol::hg::chargeReportCommand()),
                 QByteArray("N6 = 1234\r\nN7 = 560\r\nN5 = 0\r\nOK\r\n"));
        replyTo(adapter, protocol::hg::chargeResetTel1Command());
        QVERIFY(
            replyTo(adapter, protocol::hg::chargeReportCommand()).startsWith("N6 = 0\r\nN7 = 560"));
        QCOMPARE(replyTo(adapter, protocol::hg::passwordSetCommand(45)), QByteArray("OK\r\n"));
        QCOMPARE(replyTo(adapter, protocol::hg::clockRequestCommand()).mid(6), QByteArray("045"));
        // Setting the password also clears the log.
        QCOMPARE(replyTo(adapter, protocol::hg::logRequestCommand(45)), QByteArray(3086, '\0'));
        const std::vector<hgsim::Burst> dial =
            adapter.receive(protocol::hg::dialCommand(2, "0312345678"));
        QCOMPARE(dial.size(), size_t{2});
        QCOMPARE(dial[0].delayMs, 800);
        QCOMPARE(dial[1].bytes, QByteArray("TS 2 17\r\n"));
        QCOMPARE(replyTo(adapter, protocol::hg::hangUpCommand(2)), QByteArray("OK\r\n"));
        QCOMPARE(replyTo(adapter, "ATX9\r"), QByteArray("ERR\r\n"));
        QCOMPARE(adapter.commands().last(), QByteArray("ATX9\r"));
    }

    // A dial reply split over bursts through the whole receive path: the reply check fires
    // 500 ms after the last burst, with the whole reply in RxBuffer.
    void splitDialReplyOverTheSimulatedLine() {
        ui::ManualClock clock;
        ScriptedDialogs dialogs;
        RecordingHelp help;
        FixedWallClock wallClock;
        hgsim::HgConfig config;
        config.dialReply = {{800, "AS"}, {300, "TS %L 17\r\n"}};
        hgsim::HgAdapter adapter(config, [] { return Now; });
        hgsim::SimSerialDeviceFactory ports(adapter, clock);
        QTemporaryDir tmp;
        Application app(ui::UiServices{clock, dialogs, help, wallClock}, ports,
                        tmp.filePath(QStringLiteral("tilka")), tmp.path());
        app.createWindows();
        int64_t firedAt = -1;
        QByteArray seen;
        QObject::connect(&app.link.dial(), &adapter::DialExchange::checkingReply, [&] {
            firedAt = clock.now();
            seen = QByteArray(reinterpret_cast<const char*>(app.link.received().bytes().data()),
                              app.link.received().count());
        });
        adapter::DeviceLink& link = app.link;
        QVERIFY(link.openPort());
        app.state.dialInProgress = true;
        link.send(protocol::hg::dialCommand(1, "0312345678"));
        clock.advance(5000);
        QCOMPARE(firedAt, int64_t{1600});
        QCOMPARE(seen, QByteArray("ASTS 1 17\r\n"));
        QCOMPARE(ports.line->written, QByteArray("AT\\D1/0312345678\r"));
        // A port held elsewhere refuses to open.
        link.closePort();
        ports.line->held = true;
        QVERIFY(!link.openPort());
    }
};

QTEST_MAIN(HgSimTest)
#include "hgsim_test.moc"
