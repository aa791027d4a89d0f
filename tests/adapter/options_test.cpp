#include <QTest>

#include "support/linkrun.h"

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
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
    // TEL 1's log mode at once, TEL 2's 700 ms later, the port closed 1500 ms after the save.
    void saveTimeline() {
        QFETCH(int, model);
        QFETCH(QByteArray, tel1);
        QFETCH(QByteArray, tel2);
        LinkRun r;
        r.state.settings.adapterModel = model;
        r.state.settings.logModeTel1 = 2;
        r.state.settings.logModeTel2 = 0;
        r.mark();
        r.link.sendLogModes();
        r.link.closePortAfterSave();
        QCOMPARE(r.commands(), QList<QByteArray>{tel1});
        QVERIFY(r.portOpen());
        r.at(699);
        QCOMPARE(r.commands().size(), 1);
        r.at(700);
        QCOMPARE(r.commands(), (QList<QByteArray>{tel1, tel2}));
        r.at(1499);
        QVERIFY(r.portOpen());
        r.at(1500);
        QVERIFY(!r.portOpen());
        QVERIFY(!r.link.tel2LogModeTimer().running() && !r.link.portCloseTimer().running());
        r.at(5000);
        QCOMPARE(r.commands().size(), 2);
        QVERIFY(r.errors.isEmpty());
    }

    void tel2ModeTakesTheValuesWhenItFires() {
        LinkRun r;
        r.link.sendLogModes();
        r.state.settings.logModeTel2 = 1;
        r.state.settings.adapterModel = 1;
        r.clock.advance(700);
        QCOMPARE(r.lastCommand(), QByteArray("ATE0\\T2/1*41\r"));
    }

    void unusablePortThrowsAndOpensNothing() {
        LinkRun r;
        r.link.usePort(0);
        QCOMPARE(r.link.portNumber(), 0);
        QVERIFY_THROWS_EXCEPTION(std::exception, r.link.sendLogModes());
        QCOMPARE(r.line()->opens, 0);
        r.clock.advance(5000);
        QVERIFY(r.commands().isEmpty());
    }

    // The new code goes out on the save's port; only then does it hold here, and the log,
    // which the adapter clears with it, is to be read again.
    void newPasswordCode() {
        LinkRun r;
        r.state.newPasswordCode = 13;
        r.state.logImage.markEmpty();
        r.mark();
        r.link.sendLogModes();
        r.at(1000);
        QCOMPARE(r.commands().size(), 2);
        QVERIFY(r.portOpen());
        QCOMPARE(r.state.settings.passwordCode, 0);
        r.link.changePassword();
        QCOMPARE(r.lastCommand(), QByteArray("ATG53=13\\L3\r"));
        QCOMPARE(r.adapter.config().passwordCode, 13);
        QCOMPARE(r.state.settings.passwordCode, 13);
        QCOMPARE(r.state.logImage.bytes()[0], uint8_t(255));
        QVERIFY(r.portOpen());
    }

    void quickAnswerClosesThePortBeforeTheTel2Mode() {
        LinkRun r;
        r.state.newPasswordCode = 6;
        r.mark();
        r.link.sendLogModes();
        r.link.changePassword();
        r.link.closePortLater(500);
        r.at(500);
        QVERIFY(!r.portOpen());
        // The TEL 2 mode timer finds the port closed: it stops, and the failure is told once.
        r.at(5000);
        QVERIFY(!r.link.tel2LogModeTimer().running());
        QCOMPARE(r.errors, QStringList{QStringLiteral("通信が開始されていない。")});
        QCOMPARE(r.commands(), (QList<QByteArray>{"AT\\T1/9*03\r", "ATG53=6\\L3\r"}));
    }

    void delayedCloseRestartsOnlyForAnotherDelay() {
        LinkRun r;
        QVERIFY(r.link.openPort());
        r.mark();
        r.link.closePortLater(500);
        r.at(300);
        r.link.closePortLater(500);
        r.at(499);
        QVERIFY(r.portOpen());
        r.at(500);
        QVERIFY(!r.portOpen());
        QVERIFY(!r.link.portCloseTimer().running());

        QVERIFY(r.link.openPort());
        r.mark();
        r.link.closePortLater(500);
        r.at(300);
        r.link.closePortLater(1000);
        r.at(1299);
        QVERIFY(r.portOpen());
        r.at(1300);
        QVERIFY(!r.portOpen());
    }
};

QTEST_GUILESS_MAIN(OptionsTest)
#include "options_test.moc"
