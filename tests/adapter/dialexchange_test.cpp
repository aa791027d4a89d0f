#include <QTest>

#include "protocol/hgcommands.h"
#include "support/linkrun.h"

using adapter::DialExchange;

namespace {

const QByteArray EchoOff = "ATE0\r";
const QByteArray Identify = "ATI\r";
const QByteArray HangUp1 = "AT\\D1\r";
const QByteArray Dial1 = "AT\\D1/0312345678\r";
const QByteArray Busy = "ASTS %L 17\r\n";
const QString Number = QStringLiteral("0312345678");

int dialsIn(const QList<QByteArray>& commands) {
    int n = 0;
    for (const QByteArray& c : commands) {
        n += c.startsWith("AT\\D") && c.contains('/') ? 1 : 0;
    }
    return n;
}

QString startButtonText(DialExchange::StartButton shows, int count) {
    switch (shows) {
        case DialExchange::StartButton::Dial:
            return QStringLiteral("dial");
        case DialExchange::StartButton::HangUp:
            return QStringLiteral("hang up");
        case DialExchange::StartButton::Continuous:
            return QStringLiteral("continuous");
        case DialExchange::StartButton::AttemptFailed:
            return QStringLiteral("attempt %1 failed").arg(count);
        case DialExchange::StartButton::Waiting:
            break;
    }
    return QStringLiteral("waiting %1").arg(count);
}

// The dial on the link, with what it last reported for the pad.
struct Dial : LinkRun {
    Dial() {
        // Replies arrive whole unless a test splits them.
        adapter.config().charsPerSecond = 0;
        const DialExchange& x = link.dial();
        record(x, &DialExchange::padShown, "pad shown");
        record(x, &DialExchange::connected, "connected");
        record(x, &DialExchange::portUnavailable, "port unavailable");
        QObject::connect(&x, &DialExchange::dialling, [this](const QString& n) { shown = n; });
        QObject::connect(&x, &DialExchange::answered, [this](const std::optional<QString>& text) {
            answers << text.value_or(QStringLiteral("(none)"));
        });
        QObject::connect(&x, &DialExchange::startButtonChanged,
                         [this](DialExchange::StartButton shows, int count) {
                             button = startButtonText(shows, count);
                         });
        QObject::connect(&x, &DialExchange::keysEnabled, [this](bool on) { keys = on; });
    }

    // The dial command of a menu, and the prologue until the pad shows.
    void openFromMenu() {
        link.openDialPadFromMenu();
        clock.advance(state.adapterIdentified ? 1 : 1 + 700 + 700);
    }
    // The replies to the next dial commands; "%L" is the line.
    void replyToDial(std::vector<hgsim::Burst> bursts) {
        adapter.config().dialReply = std::move(bursts);
    }
    // The pad closing: the run ends, a call under way is hung up, the port closes.
    void closePad() {
        link.endDialRun();
        link.hangUp();
        link.closeDial();
    }
    qsizetype commandCount() const { return commands().size(); }

    QString shown;
    QStringList answers;
    QString button = QStringLiteral("dial");
    bool keys = true;
};

}  // namespace

class DialExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void dialCommand_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("shown");
        QTest::newRow("hyphens on line 1")
            << QStringLiteral("03-1234-5678") << 1 << QByteArray("AT\\D1/0312345678\r")
            << QStringLiteral("03-1234-5678");
        QTest::newRow("full-width on line 2")
            << QStringLiteral("０３－１２３４＊１") << 2 << QByteArray("AT\\D2/031234*1\r")
            << QStringLiteral("03-1234*1");
        QTest::newRow("full-width cut to 20 bytes first")
            << QStringLiteral("０３－１２３４（代）＊１") << 1 << QByteArray("AT\\D1/031234\r")
            << QStringLiteral("03-1234");
        QTest::newRow("no dialable character")
            << QStringLiteral("abc") << 1 << QByteArray("AT\\D1/\r") << QString();
        QTest::newRow("cut to 20") << QStringLiteral("0123456789012345678901") << 1
                                   << QByteArray("AT\\D1/01234567890123456789\r")
                                   << QStringLiteral("01234567890123456789");
    }
    void dialCommand() {
        QFETCH(QString, typed);
        QFETCH(int, line);
        QFETCH(QByteArray, command);
        QFETCH(QString, shown);
        Dial r;
        r.replyToDial({});
        r.state.settings.dialLine = line;
        r.openFromMenu();
        QCOMPARE(r.events, QStringList{"pad shown at 1401"});
        QCOMPARE(r.commands(), (QList<QByteArray>{EchoOff, Identify}));

        r.link.startDial(typed);
        QCOMPARE(r.lastCommand(), command);
        QCOMPARE(r.shown, shown);
        QCOMPARE(r.button, QStringLiteral("hang up"));
        QVERIFY(!r.keys);
        const QByteArray digits = command.mid(6, command.size() - 7);
        QCOMPARE(r.state.redialList[0].bytes(), digits);
        QCOMPARE(r.state.redialCount, 1);

        // The start button hangs up, even a dial that went out without digits.
        r.link.startDial(shown);
        QCOMPARE(r.lastCommand(), protocol::hg::hangUpCommand(line));
        QCOMPARE(r.button, QStringLiteral("dial"));
        QVERIFY(r.keys);
    }

    // Identification runs while the adapter is not known: "ATE0" at the first tick, "ATI" 700 ms
    // later, the dial 700 ms after that.
    void identificationOnlyWhileUnknown() {
        Dial r;
        r.replyToDial({});
        r.link.prepareDial(1, Number);
        r.at(499);
        QCOMPARE(r.commandCount(), 0);
        r.at(500);
        QCOMPARE(r.commands(), QList<QByteArray>{EchoOff});
        r.at(1199);
        QCOMPARE(r.commandCount(), 1);
        QVERIFY(r.events.isEmpty());
        r.at(1200);
        QCOMPARE(r.commandsFrom(1), QList<QByteArray>{Identify});
        r.at(1899);
        QCOMPARE(r.commandCount(), 2);
        r.at(1900);
        QCOMPARE(r.commandsFrom(2), QList<QByteArray>{Dial1});
        QCOMPARE(r.events, QStringList{"pad shown at 1900"});
        QVERIFY(r.state.adapterIdentified);

        r.closePad();
        qsizetype from = r.commandCount();
        r.link.prepareDial(1, Number);
        r.clock.advance(500);
        QCOMPARE(r.commandsFrom(from), QList<QByteArray>{Dial1});

        r.closePad();
        r.state.adapterIdentified = false;
        from = r.commandCount();
        r.link.prepareDial(1, Number);
        r.clock.advance(1900);
        QCOMPARE(r.commandsFrom(from), (QList<QByteArray>{EchoOff, Identify, Dial1}));
    }

    // How each reply reads is the reply parser's to test; these rows are about the exchange.
    void resultCodes_data() {
        QTest::addColumn<QList<QByteArray>>("bursts");
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("status");
        const QList<QByteArray> busy{"ASTS %L 17\r\n"};
        QTest::newRow("busy") << busy << 0 << 1 << QStringLiteral("相手側話中");
        QTest::newRow("busy on line 2") << busy << 0 << 2 << QStringLiteral("相手側話中");
        // No status of its own: the pad's panel ends empty after the hang-up.
        QTest::newRow("cause 16 before a connection")
            << QList<QByteArray>{"ASTS 1 16\r\n"} << 0 << 1 << QStringLiteral("(none)");
        // Ten characters, the rest from the identification reply still in the buffer.
        QTest::newRow("error") << QList<QByteArray>{"ERR\r\n"} << 0 << 1
                               << QStringLiteral("ERR\r\n HG S");
        // In bursts, the reply is checked 500 ms after the last one; a check in between finds
        // nothing and leaves the bytes for the next.
        QTest::newRow("bursts 300 ms apart") << QList<QByteArray>{"AS", "TS 1", " 17\r\n"} << 300
                                             << 1 << QStringLiteral("相手側話中");
        QTest::newRow("bursts 600 ms apart, checked in between")
            << QList<QByteArray>{"AS", "TS 1 17\r\n"} << 600 << 1 << QStringLiteral("相手側話中");
    }
    // Each reply is checked 500 ms after it arrived; all but "AC" end the attempt with the
    // hang-up on the dial line.
    void resultCodes() {
        QFETCH(QList<QByteArray>, bursts);
        QFETCH(int, gap);
        QFETCH(int, line);
        QFETCH(QString, status);
        Dial r;
        r.state.settings.dialLine = line;
        r.openFromMenu();
        std::vector<hgsim::Burst> timed;
        for (const QByteArray& bytes : bursts) {
            timed.push_back({timed.empty() ? 200 : gap, bytes});
        }
        r.replyToDial(timed);
        r.link.startDial(Number);
        const qsizetype sent = r.commandCount();
        const int checkAt = 200 + gap * static_cast<int>(bursts.size() - 1) + 500;
        r.clock.advance(checkAt - 1);
        QCOMPARE(r.commandCount(), sent);
        QVERIFY(r.answers.isEmpty());
        r.clock.advance(1);
        QCOMPARE(r.commandsFrom(sent), QList<QByteArray>{protocol::hg::hangUpCommand(line)});
        QCOMPARE(r.answers, QStringList{status});
        QCOMPARE(r.button, QStringLiteral("dial"));
        QVERIFY(r.link.dial().readyToDial());
        QVERIFY(r.keys);
        // The adapter's "OK" to the hang-up changes nothing.
        r.clock.advance(2000);
        QCOMPARE(r.commandCount(), sent + 1);
        QCOMPARE(r.answers.size(), 1);
    }

    void connectedCallIsHungUpByTheAdapter() {
        Dial r;
        r.openFromMenu();
        r.replyToDial({{200, "AC\r\n"}, {65100, "ASTS %L 16\r\n"}});
        r.state.logImage.markEmpty();
        r.mark();
        r.link.startDial(Number);
        const qsizetype sent = r.commandCount();
        r.at(700);
        QCOMPARE(r.events.last(), QStringLiteral("connected at 700"));
        QCOMPARE(r.state.logImage.bytes()[0], uint8_t{255});
        QCOMPARE(r.button, QStringLiteral("hang up"));
        r.at(65799);
        QCOMPARE(r.commandCount(), sent);
        r.at(65800);
        QCOMPARE(r.commandsFrom(sent), QList<QByteArray>{HangUp1});
        QCOMPARE(r.button, QStringLiteral("dial"));
    }

    // Without a reply the dial stays under way until the user hangs up; there is no time-out.
    void noReplyWaitsForTheHangUp() {
        Dial r;
        r.openFromMenu();
        r.replyToDial({});
        r.link.startDial(Number);
        const qsizetype sent = r.commandCount();
        r.clock.advance(600000);
        QCOMPARE(r.commandCount(), sent);
        QVERIFY(r.answers.isEmpty());
        QCOMPARE(r.button, QStringLiteral("hang up"));
        r.link.startDial(Number);
        QCOMPARE(r.lastCommand(), HangUp1);
        QCOMPARE(r.button, QStringLiteral("dial"));
    }

    // "ASTS" alone reads on into the rest of the previous, longer reply.
    void leftoverBytesTakePart() {
        Dial r;
        r.openFromMenu();
        r.replyToDial({{200, "ASTS 1 34\r\n"}});
        r.link.startDial(Number);
        r.clock.advance(3000);
        r.replyToDial({{200, "ASTS"}});
        r.link.startDial(Number);
        r.clock.advance(3000);
        QCOMPARE(r.lastCommand(), HangUp1);
        QCOMPARE(r.answers, (QStringList{"回線使用中", "回線使用中"}));
    }

    // Attempt n goes out; its failure reports attempt n failed; the wait counts 59 down to 0,
    // one a second, and the next attempt goes out when it reaches 0.
    void continuousTimeline() {
        Dial r;
        r.openFromMenu();
        r.replyToDial({{200, Busy}});
        r.link.useContinuousDialMode();
        QCOMPARE(r.button, QStringLiteral("continuous"));
        const qsizetype from = r.commandCount();
        r.link.startDial(Number);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 1);
        r.clock.advance(700);
        QCOMPARE(r.lastCommand(), HangUp1);
        QCOMPARE(r.button, QStringLiteral("attempt 1 failed"));
        QVERIFY(!r.keys);
        QVERIFY(!r.link.dial().readyToDial());
        for (int count = 59; count >= 1; --count) {
            r.clock.advance(1000);
            QCOMPARE(r.button, QStringLiteral("waiting %1").arg(count));
        }
        r.clock.advance(999);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 1);
        r.clock.advance(1);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 2);
        QCOMPARE(r.lastCommand(), Dial1);
        QCOMPARE(r.button, QStringLiteral("hang up"));
        r.clock.advance(700);
        QCOMPARE(r.button, QStringLiteral("attempt 2 failed"));
        // The attempts of a run are not stored for redial.
        QVERIFY(r.state.redialList[0].empty());
        QCOMPARE(r.state.redialCount, 0);
    }

    void continuousStopsAfterHundredAttempts() {
        Dial r;
        r.openFromMenu();
        r.replyToDial({{200, Busy}});
        r.link.useContinuousDialMode();
        const qsizetype from = r.commandCount();
        r.link.startDial(Number);
        r.clock.advance(99 * 60700 - 1);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 99);
        r.clock.advance(1);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 100);
        QVERIFY(!r.state.continuousDial);
        r.clock.advance(700);
        QCOMPARE(r.button, QStringLiteral("dial"));
        QVERIFY(r.link.dial().readyToDial());
        r.clock.advance(300000);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 100);
        QCOMPARE(r.state.redialCount, 0);
    }

    // During the wait the start button hangs up, ends the run and dials once in normal mode.
    void startButtonEndsRun() {
        Dial r;
        r.openFromMenu();
        r.replyToDial({{200, Busy}});
        r.link.useContinuousDialMode();
        r.link.startDial(Number);
        r.clock.advance(10700);
        QCOMPARE(r.button, QStringLiteral("waiting 50"));
        const qsizetype from = r.commandCount();
        r.link.startDial(Number);
        QCOMPARE(r.commandsFrom(from), (QList<QByteArray>{HangUp1, Dial1}));
        QVERIFY(!r.state.continuousDial);
        QCOMPARE(r.state.redialList[0].bytes(), QByteArray("0312345678"));
        r.clock.advance(1000);
        QCOMPARE(r.button, QStringLiteral("dial"));
        r.clock.advance(300000);
        QCOMPARE(r.commandCount(), from + 3);
    }

    void portCannotBeOpened() {
        Dial r;
        r.line()->held = true;
        r.openFromMenu();
        QCOMPARE(r.events, QStringList{"port unavailable at 1"});
        QCOMPARE(r.clock.dueTime(&r.link.dial().prologueTimer()), int64_t{-1});
        QVERIFY(!r.state.dialInProgress);
        QCOMPARE(r.commandCount(), 0);
        QVERIFY(r.errors.isEmpty());
    }

    void closingDuringCallHangsUpFirst() {
        Dial r;
        r.openFromMenu();
        r.replyToDial({{200, "AC\r\n"}});
        r.link.startDial(Number);
        r.clock.advance(3000);
        const qsizetype from = r.commandCount();
        r.closePad();
        QCOMPARE(r.commandsFrom(from), QList<QByteArray>{HangUp1});
        QVERIFY(!r.portOpen());
        QVERIFY(r.errors.isEmpty());
        QVERIFY(!r.state.dialInProgress);
        QVERIFY(r.state.dialNumber.empty());
        QCOMPARE(r.button, QStringLiteral("dial"));
        r.clock.advance(5000);
        QCOMPARE(r.commandsFrom(from), QList<QByteArray>{HangUp1});
    }

    void closingEmptyPadSendsNothing() {
        Dial r;
        r.openFromMenu();
        r.closePad();
        QCOMPARE(r.commands(), (QList<QByteArray>{EchoOff, Identify}));
        QVERIFY(!r.portOpen());
    }
};

QTEST_GUILESS_MAIN(DialExchangeTest)
#include "dialexchange_test.moc"
