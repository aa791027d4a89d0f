#include <QtTest>

#include "db/phonebooktable.h"
#include "protocol/hgcommands.h"
#include "support/dialrun.h"
#include "windows/calllogwindow.h"
#include "windows/optionswindow.h"
#include "windows/phonebookwindow.h"
#include "windows/portmessagewindow.h"
#include "windows/recordeditor.h"

namespace {

const QByteArray EchoOff = "ATE0\r";
const QByteArray Identify = "ATI\r";
const QByteArray HangUp1 = "AT\\D1\r";
const QByteArray Busy = "ASTS %L 17\r\n";

int dialsIn(const QList<QByteArray>& commands) {
    int n = 0;
    for (const QByteArray& c : commands) {
        n += c.startsWith("AT\\D") && c.contains('/') ? 1 : 0;
    }
    return n;
}

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
        DialRun r;
        r.replyToDial({});
        r.startAtMenu();
        r.state().settings.dialLine = line;
        r.openFromMenu();
        QVERIFY(r.pad().isVisible());
        QCOMPARE(r.commandsFrom(0), (QList<QByteArray>{EchoOff, Identify}));

        r.dial(typed);
        QCOMPARE(r.lastCommand(), command);
        QCOMPARE(r.pad().numberField->text(), shown);
        QCOMPARE(r.startCaption(), QStringLiteral("回線切断"));
        QVERIFY(!r.pad().numberField->isEnabled());
        QVERIFY(!r.pad().redialButton->isEnabled());
        const QByteArray digits = command.mid(6, command.size() - 7);
        QCOMPARE(r.state().redialList[0].bytes(), digits);
        QCOMPARE(r.state().redialCount, 1);

        // The start button hangs up, even a dial that went out without digits.
        r.pad().startClicked();
        QCOMPARE(r.lastCommand(), protocol::hg::hangUpCommand(line));
        QCOMPARE(r.startCaption(), QStringLiteral("ダイヤル開始"));
        QVERIFY(r.pad().numberField->isEnabled());
    }

    // Identification runs once per run, and again after the options were saved: "ATE0" at the
    // first tick, "ATI" 700 ms later, the dial 700 ms after that.
    void identificationOncePerRun() {
        DialRun r;
        r.replyToDial({});
        r.startAtMenu();
        r.app().windows.mainMenu->hide();
        r.app().nav().openDialPad(Navigation::Opener::Menu, QStringLiteral("0312345678"));
        const QByteArray dial = "AT\\D1/0312345678\r";
        r.t.clock.advance(499);
        QCOMPARE(r.commandCount(), 0);
        r.t.clock.advance(1);
        QCOMPARE(r.commandsFrom(0), QList<QByteArray>{EchoOff});
        r.t.clock.advance(699);
        QCOMPARE(r.commandCount(), 1);
        QVERIFY(!r.pad().isVisible());
        r.t.clock.advance(1);
        QCOMPARE(r.commandsFrom(1), QList<QByteArray>{Identify});
        r.t.clock.advance(699);
        QCOMPARE(r.commandCount(), 2);
        r.t.clock.advance(1);
        QCOMPARE(r.commandsFrom(2), QList<QByteArray>{dial});
        QVERIFY(r.pad().isVisible());
        QVERIFY(r.state().adapterIdentified);

        r.pad().close();
        QVERIFY(r.app().windows.mainMenu->isVisible());
        qsizetype from = r.commandCount();
        r.app().windows.mainMenu->hide();
        r.app().link.prepareDial(1, QStringLiteral("0312345678"));
        r.t.clock.advance(500);
        QCOMPARE(r.commandsFrom(from), QList<QByteArray>{dial});

        r.pad().close();
        r.app().windows.mainMenu->optionsClicked();
        r.app().windows.options->saveClicked();
        r.t.clock.advance(3000);
        QVERIFY(!r.state().adapterIdentified);
        from = r.commandCount();
        r.app().windows.mainMenu->hide();
        r.app().link.prepareDial(1, QStringLiteral("0312345678"));
        r.t.clock.advance(1900);
        QCOMPARE(r.commandsFrom(from), (QList<QByteArray>{EchoOff, Identify, dial}));
    }

    void resultCodes_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("status");
        QTest::newRow("busy") << QByteArray("ASTS %L 17\r\n") << 1 << QStringLiteral("相手側話中");
        QTest::newRow("busy on line 2")
            << QByteArray("ASTS %L 17\r\n") << 2 << QStringLiteral("相手側話中");
        QTest::newRow("cause 170 as 17")
            << QByteArray("ASTS 1 170\r\n") << 1 << QStringLiteral("相手側話中");
        QTest::newRow("other line busy")
            << QByteArray("ASTS 2 17\r\n") << 1 << QStringLiteral("ASTS 2 17\r");
        QTest::newRow("cause 16 before a connection")
            << QByteArray("ASTS 1 16\r\n") << 1 << QString();
        QTest::newRow("cause 0 before a connection")
            << QByteArray("ASTS 1 0\r\n") << 1 << QString();
        // Ten characters, the rest from the identification reply still in the buffer.
        QTest::newRow("error") << QByteArray("ERR\r\n") << 1 << QStringLiteral("ERR\r\n HG S");
    }

    // Each reply is checked 500 ms after it arrived; all but "AC" end the attempt with the
    // hang-up on the dial line.
    void resultCodes() {
        QFETCH(QByteArray, reply);
        QFETCH(int, line);
        QFETCH(QString, status);
        DialRun r;
        r.startAtMenu();
        r.state().settings.dialLine = line;
        r.openFromMenu();
        r.replyToDial({{200, reply}});
        r.dial(QStringLiteral("0312345678"));
        const qsizetype sent = r.commandCount();
        r.t.clock.advance(699);
        QCOMPARE(r.commandCount(), sent);
        QCOMPARE(r.status(), QStringLiteral("ダイヤル中"));
        r.t.clock.advance(1);
        QCOMPARE(r.commandsFrom(sent), QList<QByteArray>{protocol::hg::hangUpCommand(line)});
        QCOMPARE(r.status(), status);
        QCOMPARE(r.startCaption(), QStringLiteral("ダイヤル開始"));
        QVERIFY(r.exchange().readyToDial());
        QVERIFY(r.pad().numberField->isEnabled());
        // The adapter's "OK" to the hang-up changes nothing.
        r.t.clock.advance(2000);
        QCOMPARE(r.commandCount(), sent + 1);
        QCOMPARE(r.status(), status);
    }

    void connectedCallCountsItsTime() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({{200, "AC\r\n"}, {65100, "ASTS %L 16\r\n"}});
        r.state().logImage.markEmpty();
        r.dial(QStringLiteral("0312345678"));
        const qsizetype sent = r.commandCount();
        r.t.clock.advance(700);
        QCOMPARE(r.status(), QStringLiteral("00:00"));
        QCOMPARE(r.state().logImage.bytes()[0], uint8_t{255});
        QCOMPARE(r.startCaption(), QStringLiteral("回線切断"));
        r.t.clock.advance(5000);
        QCOMPARE(r.status(), QStringLiteral("00:05"));
        r.t.clock.advance(60099);
        QCOMPARE(r.commandCount(), sent);
        r.t.clock.advance(1);
        QCOMPARE(r.commandsFrom(sent), QList<QByteArray>{HangUp1});
        QCOMPARE(r.status(), QStringLiteral("01:05"));
        QCOMPARE(r.startCaption(), QStringLiteral("ダイヤル開始"));
        r.t.clock.advance(3000);
        QCOMPARE(r.status(), QStringLiteral("01:05"));
    }

    // Without a reply the pad blinks until the user hangs up; there is no time-out.
    void blinksUntilHungUp() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({});
        r.dial(QStringLiteral("0312345678"));
        QCOMPARE(r.status(), QString());
        r.t.clock.advance(500);
        QCOMPARE(r.status(), QStringLiteral("ダイヤル中"));
        r.t.clock.advance(500);
        QCOMPARE(r.status(), QString());
        r.t.clock.advance(600000 - 500);
        QCOMPARE(r.status(), QStringLiteral("ダイヤル中"));
        QCOMPARE(r.startCaption(), QStringLiteral("回線切断"));
        r.pad().startClicked();
        QCOMPARE(r.lastCommand(), HangUp1);
        QCOMPARE(r.status(), QString());
        r.t.clock.advance(2000);
        QCOMPARE(r.status(), QString());
    }

    void splitReply_data() {
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("hangUpAt");
        QTest::newRow("bursts 300 ms apart") << 300 << 1300;
        QTest::newRow("bursts 600 ms apart, checked in between") << 600 << 1300;
    }

    // A reply in bursts is checked 500 ms after the last one; a check in between finds nothing
    // and leaves the bytes for the next.
    void splitReply() {
        QFETCH(int, gap);
        QFETCH(int, hangUpAt);
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        if (gap == 300) {
            r.replyToDial({{200, "AS"}, {300, "TS 1"}, {300, " 17\r\n"}});
        } else {
            r.replyToDial({{200, "AS"}, {600, "TS 1 17\r\n"}});
        }
        r.dial(QStringLiteral("0312345678"));
        const qsizetype sent = r.commandCount();
        r.t.clock.advance(hangUpAt - 1);
        QCOMPARE(r.commandCount(), sent);
        r.t.clock.advance(1);
        QCOMPARE(r.commandsFrom(sent), QList<QByteArray>{HangUp1});
        QCOMPARE(r.status(), QStringLiteral("相手側話中"));
    }

    // "ASTS" alone reads on into the rest of the previous, longer reply.
    void leftoverBytesTakePart() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({{200, "ASTS 1 34\r\n"}});
        r.dial(QStringLiteral("0312345678"));
        r.t.clock.advance(3000);
        QCOMPARE(r.status(), QStringLiteral("回線使用中"));
        r.pad().statusPanel->clear();
        r.replyToDial({{200, "ASTS"}});
        r.dial(QStringLiteral("0312345678"));
        r.t.clock.advance(3000);
        QCOMPARE(r.lastCommand(), HangUp1);
        QCOMPARE(r.status(), QStringLiteral("回線使用中"));
    }

    // Attempt n goes out; its failure shows "連続中(n)"; then "待機中:" counts 59 down to 0,
    // one a second, and the next attempt goes out when it reaches 0.
    void continuousTimeline() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({{200, Busy}});
        r.pad().numberField->setText(QStringLiteral("0312345678"));
        r.pad().continuousModeClicked();
        QCOMPARE(r.startCaption(), QStringLiteral("連続ダイヤル"));
        const qsizetype from = r.commandCount();
        r.pad().startClicked();
        QCOMPARE(dialsIn(r.commandsFrom(from)), 1);
        r.t.clock.advance(700);
        QCOMPARE(r.lastCommand(), HangUp1);
        QCOMPARE(r.startCaption(), QStringLiteral("連続中(1)"));
        QVERIFY(!r.pad().numberField->isEnabled());
        QVERIFY(!r.exchange().readyToDial());
        for (int count = 59; count >= 1; --count) {
            r.t.clock.advance(1000);
            QCOMPARE(r.startCaption(), QStringLiteral("待機中:%1").arg(count));
        }
        r.t.clock.advance(999);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 1);
        r.t.clock.advance(1);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 2);
        QCOMPARE(r.lastCommand(), QByteArray("AT\\D1/0312345678\r"));
        QCOMPARE(r.startCaption(), QStringLiteral("回線切断"));
        r.t.clock.advance(700);
        QCOMPARE(r.startCaption(), QStringLiteral("連続中(2)"));
        // The attempts of a run are not stored for redial.
        QVERIFY(r.state().redialList[0].empty());
        QCOMPARE(r.state().redialCount, 0);
    }

    void continuousStopsAfterHundredAttempts() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({{200, Busy}});
        r.pad().numberField->setText(QStringLiteral("0312345678"));
        r.pad().continuousModeClicked();
        const qsizetype from = r.commandCount();
        r.pad().startClicked();
        r.t.clock.advance(99 * 60700 - 1);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 99);
        r.t.clock.advance(1);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 100);
        QVERIFY(!r.state().continuousDial);
        r.t.clock.advance(700);
        QCOMPARE(r.startCaption(), QStringLiteral("ダイヤル開始"));
        QVERIFY(r.exchange().readyToDial());
        r.t.clock.advance(300000);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 100);
        QCOMPARE(r.state().redialCount, 0);
    }

    // During the wait the start button hangs up, ends the run and dials once in normal mode.
    void startButtonEndsRun() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({{200, Busy}});
        r.pad().numberField->setText(QStringLiteral("0312345678"));
        r.pad().continuousModeClicked();
        r.pad().startClicked();
        r.t.clock.advance(10700);
        QCOMPARE(r.startCaption(), QStringLiteral("待機中:50"));
        const qsizetype from = r.commandCount();
        r.pad().startClicked();
        QCOMPARE(r.commandsFrom(from),
                 (QList<QByteArray>{HangUp1, QByteArray("AT\\D1/0312345678\r")}));
        QVERIFY(!r.state().continuousDial);
        QCOMPARE(r.state().redialList[0].bytes(), QByteArray("0312345678"));
        r.t.clock.advance(1000);
        QCOMPARE(r.startCaption(), QStringLiteral("ダイヤル開始"));
        r.t.clock.advance(300000);
        QCOMPARE(r.commandCount(), from + 3);
    }

    void connectedCallEndsRun() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({{200, "AC\r\n"}, {5000, "ASTS %L 16\r\n"}});
        r.pad().numberField->setText(QStringLiteral("0312345678"));
        r.pad().continuousModeClicked();
        const qsizetype from = r.commandCount();
        r.pad().startClicked();
        r.t.clock.advance(1700);
        QVERIFY(!r.state().continuousDial);
        r.t.clock.advance(4000);
        QCOMPARE(r.lastCommand(), HangUp1);
        QCOMPARE(r.startCaption(), QStringLiteral("ダイヤル開始"));
        QCOMPARE(r.status(), QStringLiteral("00:05"));
        r.t.clock.advance(300000);
        QCOMPARE(dialsIn(r.commandsFrom(from)), 1);
    }

    void portCannotBeOpened() {
        DialRun r;
        r.startAtMenu();
        r.line->held = true;
        r.openFromMenu();
        QVERIFY(r.app().windows.portMessage->isVisible());
        QVERIFY(!r.pad().isVisible());
        QVERIFY(!r.app().windows.mainMenu->isVisible());
        QCOMPARE(r.t.clock.dueTime(&r.exchange().prologueTimer()), int64_t{-1});
        QVERIFY(!r.state().dialInProgress);
        QCOMPARE(r.commandCount(), 0);
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void closingDuringCallHangsUpFirst() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.replyToDial({{200, "AC\r\n"}});
        r.dial(QStringLiteral("0312345678"));
        r.t.clock.advance(3000);
        QCOMPARE(r.status(), QStringLiteral("00:02"));
        const qsizetype from = r.commandCount();
        r.pad().cancelButton->click();
        QCOMPARE(r.commandsFrom(from), QList<QByteArray>{HangUp1});
        QVERIFY(!r.line->open);
        QVERIFY(r.t.dialogs.errors.isEmpty());
        QVERIFY(!r.pad().isVisible());
        QVERIFY(r.app().windows.mainMenu->isVisible());
        QVERIFY(!r.state().dialInProgress);
        QVERIFY(r.state().dialNumber.empty());
        QCOMPARE(r.pad().numberField->text(), QString());
        QCOMPARE(r.status(), QString());
        QCOMPARE(r.startCaption(), QStringLiteral("ダイヤル開始"));
        r.t.clock.advance(5000);
        QCOMPARE(r.status(), QString());
    }

    void closingEmptyPadSendsNothing() {
        DialRun r;
        r.startAtMenu();
        r.openFromMenu();
        r.pad().close();
        QCOMPARE(r.commandsFrom(0), (QList<QByteArray>{EchoOff, Identify}));
        QVERIFY(!r.line->open);
        QVERIFY(r.app().windows.mainMenu->isVisible());
    }

    // Dialled from the list, the pad shows the record's name and, closed, brings back the list
    // in the order of its look-up.
    void returnsToPhoneBookList() {
        DialRun r;
        r.startAtMenu();
        db::PhoneBookTable& table = r.app().windows.mainMenu->phoneBookTable;
        db::UserRecord other;
        other.name = QStringLiteral("佐藤");
        other.tel = QStringLiteral("06-1111-2222");
        other.tel2 = QStringLiteral("0611112222");
        table.append(other);
        db::UserRecord record;
        record.name = QStringLiteral("山田");
        record.tel = QStringLiteral("03-1234-5678");
        record.tel2 = QStringLiteral("0312345678");
        table.append(record);
        r.app().windows.mainMenu->phoneBookClicked();
        QVERIFY(table.gotoName(QStringLiteral("山田")));
        r.replyToDial({{200, Busy}});
        r.app().windows.phoneBook->dialClicked();
        r.t.clock.advance(1900);
        QCOMPARE(r.lastCommand(), QByteArray("AT\\D1/0312345678\r"));
        QCOMPARE(r.pad().namePanel->text(), QStringLiteral("山田"));
        QCOMPARE(table.index(), db::PhoneBookTable::Index::Tel2);
        r.t.clock.advance(1000);
        r.pad().close();
        QVERIFY(r.app().windows.phoneBook->isVisible());
        QVERIFY(!r.app().windows.mainMenu->isVisible());
        QCOMPARE(table.index(), db::PhoneBookTable::Index::Tel2);
        QCOMPARE(r.pad().namePanel->text(), QString());
    }

    // The editor hands its cleaned number over, unsaved; the pad goes back to the list.
    void dialFromEditorReturnsToList() {
        DialRun r;
        r.startAtMenu();
        db::PhoneBookTable& table = r.app().windows.mainMenu->phoneBookTable;
        db::UserRecord record;
        record.name = QStringLiteral("山田");
        record.tel = QStringLiteral("03-1234-5678");
        record.tel2 = QStringLiteral("0312345678");
        table.append(record);
        r.app().windows.mainMenu->phoneBookClicked();
        r.app().windows.phoneBook->editClicked();
        QCOMPARE(r.pad().namePanel->text(), QStringLiteral("山田"));
        RecordEditor& editor = *r.app().windows.recordEditor;
        editor.telField->setText(QStringLiteral("０６（１１１１）２２２２"));
        r.replyToDial({{200, Busy}});
        editor.dialClicked();
        QVERIFY(!editor.isVisible());
        QCOMPARE(editor.telField->text(), QStringLiteral("0611112222"));
        r.t.clock.advance(1900);
        QCOMPARE(r.lastCommand(), QByteArray("AT\\D1/0611112222\r"));
        QVERIFY(r.pad().isVisible());
        r.t.clock.advance(1000);
        r.pad().close();
        QVERIFY(r.app().windows.phoneBook->isVisible());
        QVERIFY(!editor.isVisible());
        QCOMPARE(table.current()->tel, QStringLiteral("03-1234-5678"));
    }

    void returnsToCallLog() {
        DialRun r;
        r.startAtMenu();
        r.state().logImage.markEmpty();
        r.app().windows.mainMenu->hide();
        r.replyToDial({{200, Busy}});
        r.app().nav().openDialPad(Navigation::Opener::CallLog, QStringLiteral("0312345678"));
        r.t.clock.advance(1900 + 1000);
        QCOMPARE(r.lastCommand(), HangUp1);
        r.pad().close();
        QVERIFY(r.app().windows.callLog->isVisible());
        QVERIFY(!r.app().windows.mainMenu->isVisible());
    }

    // A connected call marks the held log out of date: back in the call log, it is downloaded
    // again, starting with the TEL 1 log mode.
    void callLogDownloadsAgainAfterConnectedCall() {
        DialRun r;
        r.startAtMenu();
        r.state().logImage.markEmpty();
        r.app().windows.mainMenu->hide();
        r.replyToDial({{200, "AC\r\n"}});
        r.app().nav().openDialPad(Navigation::Opener::CallLog, QStringLiteral("0312345678"));
        r.t.clock.advance(1900 + 1000);
        QCOMPARE(r.state().logImage.bytes()[0], uint8_t{255});
        const qsizetype from = r.commandCount();
        r.pad().close();
        QCOMPARE(r.commandsFrom(from),
                 (QList<QByteArray>{
                     HangUp1, protocol::hg::logModeTel1Command(r.state().settings.adapterModel,
                                                               r.state().settings.logModeTel1)}));
        QVERIFY(!r.app().windows.callLog->isVisible());
    }
};

QTEST_MAIN(DialExchangeTest)
#include "dialexchange_test.moc"
