#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "adapter/devicelink.h"
#include "db/phonebooktable.h"
#include "hgsim/logimage.h"
#include "protocol/clockreply.h"
#include "protocol/secondsscale.h"
#include "support/simrun.h"
#include "ui/gauge.h"
#include "windows/calllogwindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/optionswindow.h"
#include "windows/passwordwindow.h"
#include "windows/portmessagewindow.h"
#include "windows/progresswindow.h"

namespace {

constexpr int NoReply = 1000000;
const QByteArray ClockRequest = "AT\\L2G53\r";
// Adapter clock 5, password code 0.
const QByteArray ClockReply(
    "\x00\x00\x00\x05\0\0"
    "000",
    9);
const QString NotReceived = QStringLiteral(
    "HGから通話記録を受信できませんでした。\nケーブルの接続とHGの電源を確認してください。");

// A download started from the main menu; times are counted from the button press.
struct Download : SimRun {
    Download() { startAtMenu(); }

    void press() {
        start = t.clock.now();
        t.app->windows.mainMenu->callLogButton->click();
    }
    void at(int64_t ms) { t.clock.advanceTo(start + ms); }
    // The adapter stays silent; the test puts its own bytes on the line.
    void silence() { adapter.config().replyDelayMs = NoReply; }
    void reply(int64_t atMs, const QByteArray& bytes) {
        line->send(start + atMs - t.clock.now(), bytes);
    }

    appstate::ProgramState& s() { return t.app->state; }
    CallLogWindow* callLog() { return t.app->windows.callLog; }
    int gauge() { return t.app->windows.progress->gauge->progress(); }
    bool progressShown() { return t.app->windows.progress->isVisible(); }
    QByteArray image() {
        return QByteArray(reinterpret_cast<const char*>(s().logImage.bytes().data()),
                          hgsim::LogImageBytes);
    }
    int rows() { return t.app->windows.mainMenu->callLogTable.rowCount(); }
    int calls() { return static_cast<int>(adapter.config().calls.size()); }

    int64_t start = 0;
};

}  // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void timelineWithoutPassword_data() {
        QTest::addColumn<int>("taModel");
        QTest::addColumn<QByteArray>("tel1");
        QTest::addColumn<QByteArray>("tel2");
        QTest::newRow("model 0") << 0 << QByteArray("AT\\T1/9*01\r")
                                 << QByteArray("ATE0\\T2/9*02\r");
        QTest::newRow("model 1") << 1 << QByteArray("AT\\T1/1*41\r")
                                 << QByteArray("ATE0\\T2/1*42\r");
    }
    void timelineWithoutPassword() {
        QFETCH(int, taModel);
        QFETCH(QByteArray, tel1);
        QFETCH(QByteArray, tel2);
        Download d;
        d.s().settings.adapterModel = taModel;
        d.s().settings.logModeTel1 = 1;
        d.s().settings.logModeTel2 = 2;
        d.adapter.config().clockOffsetSeconds = -3600;
        // Slow enough that the log is still arriving at the fourth tick.
        d.adapter.config().charsPerSecond = 1000;
        d.t.app->windows.mainMenu->callLogTable.setFiltered(true);
        d.press();
        QVERIFY(!d.t.app->windows.mainMenu->isVisible());
        QVERIFY(d.progressShown());
        QVERIFY(d.portOpen());
        QCOMPARE(d.gauge(), 0);
        QCOMPARE(d.commands(), QList<QByteArray>{tel1});

        const struct {
            int ms;
            QByteArray command;
            int gauge;
        } steps[] = {{600, tel2, 0},
                     {1800, "ATI\\I\r", 10},
                     {2500, ClockRequest, 20},
                     {3200, "AT\\L10\r", 30}};
        for (const auto& step : steps) {
            const qsizetype before = d.commands().size();
            d.at(step.ms - 1);
            QCOMPARE(d.commands().size(), before);
            d.at(step.ms);
            QCOMPARE(d.commands().size(), before + 1);
            QCOMPARE(d.commands().last(), step.command);
            QCOMPARE(d.gauge(), step.gauge);
        }
        QVERIFY(d.s().adapterIdentified);
        QCOMPARE(d.s().settings.passwordCode, 0);
        QCOMPARE(d.s().pcClockSeconds, protocol::adapterSecondsOf(d.t.wallClock.time));
        QCOMPARE(d.s().hgClockSeconds, d.s().pcClockSeconds - 3600);
        QCOMPARE(d.s().clockDifference, 3600);

        int shown = 30;
        for (const auto& [ms, gauge] : {std::pair{3900, 40}, {4600, 60}, {5300, 80}, {6000, 100}}) {
            d.at(ms - 1);
            QCOMPARE(d.gauge(), shown);
            d.at(ms);
            QCOMPARE(d.gauge(), gauge);
            QVERIFY(d.progressShown());
            shown = gauge;
        }
        d.at(6699);
        QVERIFY(!d.callLog()->isVisible());
        d.at(6700);
        QVERIFY(!d.progressShown());
        QCOMPARE(d.gauge(), 0);
        QVERIFY(d.callLog()->isVisible());
        QCOMPARE(d.image(), hgsim::buildLogImage(d.adapter.config().calls));
        QCOMPARE(d.rows(), d.calls());
        QCOMPARE(d.callLog()->filterPanel->text(), QStringLiteral("全て表示する"));
        QVERIFY(!d.t.app->windows.mainMenu->callLogTable.filtered());
        QCOMPARE(d.commands().size(), 5);
        d.at(7699);
        QVERIFY(d.portOpen());
        d.at(7700);
        QVERIFY(!d.portOpen());
    }

    // Whatever has come by a tick decides: 3078 bytes or more end the transfer on the next tick;
    // fewer by the last tick are a transfer that broke off.
    void earlyLogEndsOnTheNextTick_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("firstTickGauge");
        QTest::addColumn<int>("finishAt");
        QTest::addColumn<bool>("whole");
        QTest::newRow("3100 bytes") << 3100 << 100 << 3200 + 1400 << true;
        QTest::newRow("3078 bytes") << 3078 << 100 << 3200 + 1400 << true;
        QTest::newRow("3077 bytes") << 3077 << 40 << 3200 + 3500 << false;
    }
    void earlyLogEndsOnTheNextTick() {
        QFETCH(int, bytes);
        QFETCH(int, finishAt);
        QFETCH(bool, whole);
        Download d;
        d.silence();
        // What an earlier reply left behind must not fill the gap of a shorter one.
        QVERIFY(d.t.app->link.openPort());
        d.line->send(0, QByteArray(adapter::ReceiveBuffer::Size - 1, 0x2a));
        d.t.clock.advance(0);
        d.t.app->link.closePort();
        const QByteArray before = d.image();
        d.press();
        d.reply(2600, ClockReply);
        QByteArray log(bytes, '\0');
        for (int i = 0; i < bytes; ++i) {
            log[i] = static_cast<char>(i % 251 + 1);
        }
        d.reply(3300, log);
        d.at(3900);
        QTEST(d.gauge(), "firstTickGauge");
        d.at(finishAt - 1);
        QVERIFY(d.progressShown());
        d.at(finishAt);
        QVERIFY(!d.progressShown());
        QCOMPARE(d.callLog()->isVisible(), whole);
        QCOMPARE(d.t.app->windows.mainMenu->isVisible(), !whole);
        QCOMPARE(d.portOpen(), whole);
        QCOMPARE(d.t.dialogs.messages.size(), whole ? 0 : 1);
        // The adapter said nothing else, so the buffer behind the reply is zero.
        QCOMPARE(d.image(), whole ? log.leftJustified(hgsim::LogImageBytes, '\0', true) : before);
    }

    // A download that fails leaves the held log, the table and the phone book as they were,
    // closes the port, says so once and returns to the window it was started from.
    void failedDownloadKeepsThePreviousLog_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("failAt");
        QTest::newRow("silent adapter") << "silent" << 3200;
        QTest::newRow("adapter quiet mid-transfer") << "quiet" << 3200 + 3500;
        QTest::newRow("line hung up mid-transfer") << "hang-up" << 4000;
        QTest::newRow("300-byte image") << "short" << 3200 + 3500;
    }
    void failedDownloadKeepsThePreviousLog() {
        QFETCH(QString, how);
        QFETCH(int, failAt);
        Download d;
        db::UserRecord person;
        person.name = QStringLiteral("山田");
        person.tel = person.tel2 = QStringLiteral("0312345678");
        db::PhoneBookTable& book = d.t.app->windows.mainMenu->phoneBookTable;
        book.append(person);
        d.press();
        d.at(8000);
        QVERIFY(d.callLog()->isVisible());
        book.gotoName(person.name);
        const QString lastCall = book.current()->lastCall;
        QVERIFY(!lastCall.isEmpty());
        const QByteArray image = d.image();
        const int rows = d.rows();
        const int64_t archived = d.t.app->callArchive.totals({}).count;
        QCOMPARE(archived, d.calls());
        // A fresh log would differ, and a later adapter clock would shift the times.
        d.adapter.config().calls.resize(4);
        d.adapter.config().calls[0].charge += 1;  // a new call, were the download to succeed
        d.adapter.config().clockOffsetSeconds = 86400;

        d.callLog()->reloadButton->click();
        d.start = d.t.clock.now();
        if (how == QLatin1String("silent")) {
            d.silence();
        }
        d.at(3200);
        if (how == QLatin1String("short")) {
            d.line->cut(false);
            d.reply(3300, hgsim::buildLogImage(d.adapter.config().calls).left(300));
        }
        d.at(4000);
        if (how == QLatin1String("quiet") || how == QLatin1String("hang-up")) {
            QVERIFY(d.t.app->link.received().count() > 0);
            d.line->cut(how == QLatin1String("hang-up"));
        }
        const qsizetype sent = d.commands().size();
        d.at(failAt - 1);
        QCOMPARE(d.progressShown(), failAt > 4000);
        d.at(failAt);
        QVERIFY(!d.progressShown());
        QCOMPARE(d.gauge(), 0);
        QVERIFY(!d.portOpen());
        QCOMPARE(d.t.dialogs.messages.size(), 1);
        QCOMPARE(d.t.dialogs.messages[0].text, NotReceived);
        QVERIFY(d.callLog()->isVisible());
        QVERIFY(!d.t.app->windows.mainMenu->isVisible());
        QCOMPARE(d.image(), image);
        QCOMPARE(d.rows(), rows);
        book.gotoName(person.name);
        QCOMPARE(book.current()->lastCall, lastCall);
        QCOMPARE(d.t.app->callArchive.totals({}).count, archived);
        d.at(failAt + 10000);
        QCOMPARE(d.commands().size(), sent);
        QVERIFY(!d.progressShown());
        QCOMPARE(d.t.dialogs.messages.size(), 1);
        if (how == QLatin1String("silent")) {
            QCOMPARE(d.commands().last(), ClockRequest);
        }
    }

    void hgClockFromReply() {
        Download d;
        d.silence();
        d.press();
        d.reply(2600, QByteArray("\x80\x00\x00\x01\0\0"
                                 "000",
                                 9));
        d.at(3200);
        QCOMPARE(d.s().hgClockSeconds, -2147483647);
        const int64_t difference = int64_t{d.s().pcClockSeconds} + 2147483647;
        QCOMPARE(d.s().clockDifference, static_cast<int32_t>(static_cast<uint32_t>(difference)));
        QCOMPARE(d.commands().last(), QByteArray("AT\\L10\r"));
    }

    void clockReplyFields_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("clock");
        QTest::addColumn<int>("code");
        QTest::newRow("sign bit") << QByteArray(
                                         "\x80\x00\x00\x01\0\0"
                                         "000",
                                         9)
                                  << -2147483647 << 0;
        QTest::newRow("code 123") << QByteArray(
                                         "\x00\x0f\x42\x40\0\0"
                                         "123",
                                         9)
                                  << 1000000 << 123;
        QTest::newRow("letter") << QByteArray(
                                       "\x00\x00\x00\x05\0\0"
                                       "1a3",
                                       9)
                                << 5 << 0;
        QTest::newRow("negative") << QByteArray(
                                         "\x00\x00\x00\x05\0\0"
                                         "-12",
                                         9)
                                  << 5 << -12;
        QTest::newRow("sign only") << QByteArray(
                                          "\x00\x00\x00\x05\0\0"
                                          "-\0\0",
                                          9)
                                   << 5 << 0;
        QTest::newRow("short reply") << QByteArray("\x00\x00\x01", 3) << 256 << 0;
    }
    void clockReplyFields() {
        QFETCH(QByteArray, reply);
        const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(reply.constData()),
                                             static_cast<size_t>(reply.size()));
        QTEST(protocol::hgClockSecondsOf(bytes), "clock");
        QTEST(protocol::passwordCodeOf(bytes), "code");
    }

    // A wrong number stalls the download; the next one asks again, and the right one goes on.
    void passwordWrongThenRight_data() {
        QTest::addColumn<QString>("right");
        QTest::newRow("122") << "122";
        QTest::newRow("377") << "377";
    }
    void passwordWrongThenRight() {
        QFETCH(QString, right);
        Download d;
        d.adapter.config().passwordCode = 123;
        PasswordWindow* password = d.t.app->windows.password;
        d.press();
        d.at(3200);
        QVERIFY(password->isVisible());
        QVERIFY(password->passwordField->text().isEmpty());
        QCOMPARE(d.gauge(), 0);
        QVERIFY(d.progressShown());
        QVERIFY(!d.t.app->link.download().stepTimer().running());
        QCOMPARE(d.commands().last(), ClockRequest);

        password->passwordField->setText(QStringLiteral("12"));
        password->confirmButton->click();
        d.at(10000);
        QVERIFY(d.t.app->windows.mainMenu->isVisible());
        QVERIFY(d.progressShown());
        QVERIFY(d.portOpen());
        QCOMPARE(d.commands().last(), ClockRequest);

        d.press();
        d.at(3200);
        QVERIFY(password->isVisible());
        QVERIFY(password->passwordField->text().isEmpty());
        password->passwordField->setText(right);
        password->confirmButton->click();
        QCOMPARE(d.commands().last(), QByteArray("AT\\L1123\r"));
        QCOMPARE(d.gauge(), 10);
        d.at(3200 + 3500);
        QVERIFY(d.callLog()->isVisible());
        QCOMPARE(d.rows(), d.calls());

        // The code entered stays good for the run.
        d.callLog()->reloadButton->click();
        d.start = d.t.clock.now();
        d.at(3200);
        QVERIFY(!password->isVisible());
        QCOMPARE(d.commands().last(), QByteArray("AT\\L1123\r"));
    }

    void closingTheProgressWindowAbandons_data() {
        QTest::addColumn<int>("closeAt");
        QTest::newRow("starting") << 1000;
        QTest::newRow("identifying") << 2000;
        QTest::newRow("reading the clock") << 2900;
        QTest::newRow("transferring") << 4000;
    }
    void closingTheProgressWindowAbandons() {
        QFETCH(int, closeAt);
        Download d;
        d.press();
        d.at(closeAt);
        const qsizetype sent = d.commands().size();
        d.t.app->windows.progress->close();
        QVERIFY(!d.progressShown());
        QVERIFY(d.t.app->windows.mainMenu->isVisible());
        QCOMPARE(d.s().logImage.bytes()[0], 255);
        d.at(closeAt + 499);
        QVERIFY(d.portOpen());
        d.at(closeAt + 500);
        QVERIFY(!d.portOpen());
        d.at(closeAt + 10000);
        QCOMPARE(d.commands().size(), sent);
        QVERIFY(!d.callLog()->isVisible());

        d.press();
        QCOMPARE(d.commands().size(), sent + 1);
        QVERIFY(d.progressShown());
    }

    void portThatCannotBeOpened() {
        Download d;
        d.s().settings.comPort = 2;
        d.press();
        QVERIFY(d.t.app->windows.portMessage->isVisible());
        QVERIFY(!d.progressShown());
        QVERIFY(!d.t.app->link.download().stepTimer().running());
        QVERIFY(!d.t.app->link.tel2LogModeTimer().running());
        QVERIFY(!d.t.app->windows.mainMenu->isVisible());
        d.at(10000);
        QVERIFY(d.commands().isEmpty());
    }

    void heldLogIsShownWithoutExchange() {
        Download d;
        d.press();
        d.at(8000);
        d.callLog()->close();
        QVERIFY(d.t.app->windows.mainMenu->isVisible());
        const qsizetype sent = d.commands().size();
        d.press();
        QVERIFY(d.callLog()->isVisible());
        QVERIFY(!d.t.app->windows.mainMenu->isVisible());
        QVERIFY(!d.t.app->windows.compactMenu->isVisible());
        QCOMPARE(d.rows(), d.calls());
        d.at(10000);
        QCOMPARE(d.commands().size(), sent);
        QVERIFY(!d.portOpen());
    }
};

QTEST_MAIN(DownloadTest)
#include "logdownload_test.moc"
