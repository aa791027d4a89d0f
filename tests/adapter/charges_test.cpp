#include <QTest>

#include "support/linkrun.h"

using Counter = adapter::ChargesExchange::Counter;
Q_DECLARE_METATYPE(Counter)

namespace {

// The link reading the counters, with what it last reported.
struct ChargesRun : LinkRun {
    ChargesRun() {
        QObject::connect(&link.charges(), &adapter::ChargesExchange::chargesRead,
                         [this](const protocol::ChargeAmounts& a) {
                             amounts = QList<QByteArray>{a.tel1, a.tel2, a.digital};
                         });
        record(link.charges(), &adapter::ChargesExchange::portUnavailable, "port unavailable");
        QObject::connect(&link.charges(), &adapter::ChargesExchange::counterReset,
                         [this](Counter c) { resets << c; });
    }

    QList<QByteArray> amounts;
    QList<Counter> resets;
};

}  // namespace

class ChargesTest : public QObject {
    Q_OBJECT
private slots:
    void amountsReadHalfASecondLaterThenThePortCloses() {
        ChargesRun r;
        r.mark();
        r.link.readCharges();
        QCOMPARE(r.commands(), QList<QByteArray>{"ATE0N\r"});
        r.at(499);
        QVERIFY(r.amounts.isEmpty());
        r.at(500);
        QCOMPARE(r.amounts, (QList<QByteArray>{"1234", "560", "0"}));
        QVERIFY(!r.link.charges().replyTimer().running());
        r.at(999);
        QVERIFY(r.portOpen());
        r.at(1000);
        QVERIFY(!r.portOpen());
        QCOMPARE(r.commands().size(), 1);
        QVERIFY(r.events.isEmpty());
    }

    void noReplyReportsEmptyAmounts() {
        ChargesRun r;
        r.adapter.config().replyDelayMs = 100000;
        r.link.readCharges();
        r.clock.advance(500);
        QCOMPARE(r.amounts, (QList<QByteArray>{"", "", ""}));
    }

    void unusablePortIsReportedAndNothingSent() {
        ChargesRun r;
        r.state.settings.comPort = 2;
        r.link.readCharges();
        QCOMPARE(r.events, QStringList{"port unavailable at 0"});
        QVERIFY(!r.portOpen());
        r.clock.advance(1000);
        QVERIFY(r.amounts.isEmpty());
        QVERIFY(r.commands().isEmpty());
        r.link.usePort(2);
        QVERIFY(!r.link.resetCharge(Counter::Tel1));
        QCOMPARE(r.events.size(), 2);
        QVERIFY(r.resets.isEmpty());
    }

    void resetSendsItsCommand_data() {
        QTest::addColumn<Counter>("counter");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("TEL 1") << Counter::Tel1 << QByteArray("ATN6=0\r");
        QTest::newRow("TEL 2") << Counter::Tel2 << QByteArray("ATN7=0\r");
        QTest::newRow("digital") << Counter::Digital << QByteArray("ATN5=0\r");
    }
    void resetSendsItsCommand() {
        QFETCH(Counter, counter);
        ChargesRun r;
        r.adapter.config().chargeDigital = "77";
        r.link.readCharges();
        r.clock.advance(1000);
        QCOMPARE(r.amounts, (QList<QByteArray>{"1234", "560", "77"}));
        QVERIFY(!r.portOpen());
        QVERIFY(r.link.resetCharge(counter));
        QVERIFY(r.portOpen());
        QCOMPARE(r.commands().size(), 2);
        QTEST(r.commands().last(), "command");
        QCOMPARE(r.resets, QList<Counter>{counter});
        // The amount is not asked of the adapter again.
        r.clock.advance(1000);
        QCOMPARE(r.commands().size(), 2);
    }
};

QTEST_GUILESS_MAIN(ChargesTest)
#include "charges_test.moc"
