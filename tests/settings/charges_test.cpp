#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/tform10.h"
#include "app/tform18.h"
#include "app/tmain.h"
#include "link/tform11.h"
#include "link/tform14.h"
#include "settings/tform15.h"
#include "settings/tform5.h"
#include "simrun.h"

namespace {

QStringList panels(const TForm15* w) {
    return {w->Panel2->text(), w->Panel4->text(), w->Panel6->text()};
}

}  // namespace

class ChargesTest : public QObject {
    Q_OBJECT
private slots:
    void readingShowsTheAmountsHalfASecondLater() {
        SimRun r;
        r.startAtMenu();
        TForm15* charges = r.t.app->F.Form15;
        const int64_t t0 = r.t.clock.now();
        r.t.app->F.Main->BitBtn4->click();
        QVERIFY(!r.t.app->F.Main->isVisible());
        QCOMPARE(r.commands(), QList<QByteArray>{"ATE0N\r"});
        r.t.clock.advanceTo(t0 + 499);
        QVERIFY(!charges->isVisible());
        r.t.clock.advanceTo(t0 + 500);
        QVERIFY(charges->isVisible());
        QCOMPARE(panels(charges), (QStringList{"1234 円 ", "560 円 ", "0 円 "}));
        QVERIFY(!r.t.app->F.Form11->Timer3.running());
        r.t.clock.advanceTo(t0 + 999);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 1000);
        QVERIFY(!r.portOpen());
        QCOMPARE(r.commands().size(), 1);

        charges->Button4->click();
        QVERIFY(!charges->isVisible());
        QVERIFY(r.t.app->F.Main->isVisible());
    }

    void noReplyShowsEmptyAmounts() {
        SimRun r;
        r.adapter.config().replyDelayMs = 100000;
        r.startAtMenu();
        r.t.app->F.Main->BitBtn4->click();
        r.t.clock.advance(500);
        QCOMPARE(panels(r.t.app->F.Form15), (QStringList{" 円 ", " 円 ", " 円 "}));
    }

    void unusablePortShowsThePortMessage() {
        SimRun r;
        r.t.writeSettings("[RS232C]\nCOM=2\n");
        r.startAtMenu();
        r.t.app->F.Main->BitBtn4->click();
        QVERIFY(r.t.app->F.Form14->isVisible());
        r.t.clock.advance(1000);
        QVERIFY(!r.t.app->F.Form15->isVisible());
        QVERIFY(r.commands().isEmpty());
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void resetAnswered_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("TEL 1 yes")
            << 0 << true << "ＴＥＬ　１の使用料金を" << QByteArray("ATN6=0\r")
            << QStringList{"0 円 ", "560 円 ", "77 円 "};
        QTest::newRow("TEL 2 yes")
            << 1 << true << "ＴＥＬ　２の使用料金を" << QByteArray("ATN7=0\r")
            << QStringList{"1234 円 ", "0 円 ", "77 円 "};
        QTest::newRow("digital yes")
            << 2 << true << "ﾃﾞｼﾞﾀﾙ通信の使用料金を" << QByteArray("ATN5=0\r")
            << QStringList{"1234 円 ", "560 円 ", "0 円 "};
        QTest::newRow("TEL 1 no") << 0 << false << "ＴＥＬ　１の使用料金を" << QByteArray()
                                  << QStringList{"1234 円 ", "560 円 ", "77 円 "};
        QTest::newRow("digital no") << 2 << false << "ﾃﾞｼﾞﾀﾙ通信の使用料金を" << QByteArray()
                                    << QStringList{"1234 円 ", "560 円 ", "77 円 "};
    }
    void resetAnswered() {
        QFETCH(int, row);
        QFETCH(bool, yes);
        QFETCH(QByteArray, command);
        SimRun r;
        r.adapter.config().chargeDigital = "77";
        r.startAtMenu();
        r.t.app->F.Main->BitBtn4->click();
        r.t.clock.advance(1000);
        QVERIFY(!r.portOpen());
        TForm15* charges = r.t.app->F.Form15;
        TForm10* confirm = r.t.app->F.Form10;

        QPushButton* reset =
            QList<QPushButton*>{charges->Button1, charges->Button2, charges->Button3}[row];
        QCOMPARE(reset->text(), QStringLiteral("ﾘｾｯﾄ"));
        reset->click();
        QVERIFY(!charges->isEnabled());
        QVERIFY(confirm->isVisible());
        QCOMPARE(r.t.app->State.ConfirmKind, 6 + row);
        QTEST(confirm->Label1->text(), "question");
        QCOMPARE(confirm->Label2->text(), QStringLiteral("初期化しますか？"));

        const int64_t t0 = r.t.clock.now();
        (yes ? confirm->BitBtn1 : confirm->BitBtn2)->click();
        QVERIFY(!confirm->isVisible());
        QVERIFY(charges->isEnabled());
        QVERIFY(charges->isVisible());
        QCOMPARE(r.commands().size(), yes ? 2 : 1);
        if (yes) {
            QCOMPARE(r.commands().last(), command);
            QVERIFY(r.portOpen());
        }
        // The amount is written without asking the adapter again.
        QTEST(panels(charges), "shown");
        // Either answer closes the port 500 ms later.
        r.t.app->F.Form11->Comm1.Open();
        r.t.clock.advanceTo(t0 + 499);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 500);
        QVERIFY(!r.portOpen());
    }

    void helpAndCloseBox() {
        SimRun r;
        r.startAtMenu();
        r.t.app->F.Main->K7Click();
        r.t.app->F.Form18->BitBtn4->click();
        r.t.clock.advance(500);
        TForm15* charges = r.t.app->F.Form15;
        QVERIFY(charges->isVisible());
        charges->BitBtn3->click();
        QCOMPARE(r.t.help.requests, QStringList{"context 9"});
        charges->close();
        QVERIFY(r.t.app->F.Form18->isVisible());
        QVERIFY(!r.t.app->F.Main->isVisible());
    }
};

QTEST_MAIN(ChargesTest)
#include "charges_test.moc"
