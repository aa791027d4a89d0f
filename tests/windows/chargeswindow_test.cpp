#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/simrun.h"
#include "windows/chargeswindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/confirmationwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/portmessagewindow.h"

namespace {

QStringList panels(const ChargesWindow* w) {
    return {w->tel1Amount->text(), w->tel2Amount->text(), w->digitalAmount->text()};
}

}  // namespace

class ChargesWindowTest : public QObject {
    Q_OBJECT
private slots:
    // The timeline of the reading is the exchange's; the window shows its report.
    void readingShowsTheAmounts() {
        SimRun r;
        r.startAtMenu();
        ChargesWindow* charges = r.t.app->windows.charges;
        r.t.app->windows.mainMenu->chargesButton->click();
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
        QVERIFY(!charges->isVisible());
        r.t.clock.advance(500);
        QVERIFY(charges->isVisible());
        QCOMPARE(panels(charges), (QStringList{"1234 円 ", "560 円 ", "0 円 "}));

        charges->okButton->click();
        QVERIFY(!charges->isVisible());
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
    }

    void noReplyShowsEmptyAmounts() {
        SimRun r;
        r.adapter.config().replyDelayMs = 100000;
        r.startAtMenu();
        r.t.app->windows.mainMenu->chargesButton->click();
        r.t.clock.advance(500);
        QCOMPARE(panels(r.t.app->windows.charges), (QStringList{" 円 ", " 円 ", " 円 "}));
    }

    void unusablePortShowsThePortMessage() {
        SimRun r;
        r.t.writeSettings("[RS232C]\nCOM=2\n");
        r.startAtMenu();
        r.t.app->windows.mainMenu->chargesButton->click();
        QVERIFY(r.t.app->windows.portMessage->isVisible());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
        r.t.clock.advance(1000);
        QVERIFY(!r.t.app->windows.charges->isVisible());
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void resetAnswered_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("TEL 1 yes")
            << 0 << true << "ＴＥＬ　１の使用料金を" << QStringList{"0 円 ", "560 円 ", "77 円 "};
        QTest::newRow("TEL 2 yes")
            << 1 << true << "ＴＥＬ　２の使用料金を" << QStringList{"1234 円 ", "0 円 ", "77 円 "};
        QTest::newRow("digital yes")
            << 2 << true << "ﾃﾞｼﾞﾀﾙ通信の使用料金を" << QStringList{"1234 円 ", "560 円 ", "0 円 "};
        QTest::newRow("TEL 1 no") << 0 << false << "ＴＥＬ　１の使用料金を"
                                  << QStringList{"1234 円 ", "560 円 ", "77 円 "};
        QTest::newRow("digital no") << 2 << false << "ﾃﾞｼﾞﾀﾙ通信の使用料金を"
                                    << QStringList{"1234 円 ", "560 円 ", "77 円 "};
    }
    void resetAnswered() {
        QFETCH(int, row);
        QFETCH(bool, yes);
        SimRun r;
        r.adapter.config().chargeDigital = "77";
        r.startAtMenu();
        r.t.app->windows.mainMenu->chargesButton->click();
        r.t.clock.advance(1000);
        ChargesWindow* charges = r.t.app->windows.charges;
        ConfirmationWindow* confirm = r.t.app->windows.confirmation;

        QPushButton* reset = QList<QPushButton*>{charges->resetTel1Button, charges->resetTel2Button,
                                                 charges->resetDigitalButton}[row];
        QCOMPARE(reset->text(), QStringLiteral("ﾘｾｯﾄ"));
        reset->click();
        QVERIFY(!charges->isEnabled());
        QVERIFY(confirm->isVisible());
        QCOMPARE(r.t.app->windows.confirmation->action(), 6 + row);
        QTEST(confirm->firstLine->text(), "question");
        QCOMPARE(confirm->secondLine->text(), QStringLiteral("初期化しますか？"));

        const int64_t t0 = r.t.clock.now();
        (yes ? confirm->yesButton : confirm->noButton)->click();
        QVERIFY(!confirm->isVisible());
        QVERIFY(charges->isEnabled());
        QVERIFY(charges->isVisible());
        // The counter the link reset shows 0.
        QCOMPARE(r.commands().size(), yes ? 2 : 1);
        QTEST(panels(charges), "shown");
        // Either answer closes the port 500 ms later.
        QVERIFY(r.t.app->link.openPort());
        r.t.clock.advanceTo(t0 + 499);
        QVERIFY(r.portOpen());
        r.t.clock.advanceTo(t0 + 500);
        QVERIFY(!r.portOpen());
    }

    void helpAndCloseBox() {
        SimRun r;
        r.startAtMenu();
        r.t.app->windows.mainMenu->compactMenuClicked();
        r.t.app->windows.compactMenu->chargesButton->click();
        r.t.clock.advance(500);
        ChargesWindow* charges = r.t.app->windows.charges;
        QVERIFY(charges->isVisible());
        charges->helpButton->click();
        QCOMPARE(r.t.help.requests, QStringList{"context 9"});
        charges->close();
        QVERIFY(r.t.app->windows.compactMenu->isVisible());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
    }
};

QTEST_MAIN(ChargesWindowTest)
#include "chargeswindow_test.moc"
