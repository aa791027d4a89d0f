#include <QtTest>

#include "db/phonebooktable.h"
#include "protocol/hgcommands.h"
#include "support/dialrun.h"
#include "windows/calllogwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/portmessagewindow.h"
#include "windows/recordeditor.h"

namespace {

const QByteArray HangUp1 = "AT\\D1\r";
const QByteArray Busy = "ASTS %L 17\r\n";

// A pad opened from the menu whose every dial is answered busy.
struct OpenPad : DialRun {
    OpenPad() {
        startAtMenu();
        openFromMenu();
        replyToDial({{200, Busy}});
    }

    // Dials and waits for the busy reply to end the attempt.
    void dialAndFail(const QString& number) {
        dial(number);
        t.clock.advance(1000);
    }

    QString field() { return pad().numberField->text(); }
};

}  // namespace

class DialPadTest : public QObject {
    Q_OBJECT

private slots:
    // The keys append ASCII whatever their captions; the field stops at 22 characters.
    void keysAppend() {
        OpenPad p;
        DialPad& pad = p.pad();
        for (QPushButton* key :
             {pad.key1Button, pad.key2Button, pad.key3Button, pad.key4Button, pad.key5Button,
              pad.key6Button, pad.key7Button, pad.key8Button, pad.key9Button, pad.starKeyButton,
              pad.key0Button, pad.hashKeyButton}) {
            key->click();
        }
        QCOMPARE(p.field(), QStringLiteral("123456789*0#"));
        QCOMPARE(pad.numberField->cursorPosition(), 12);
        for (int i = 0; i < 12; ++i) {
            pad.key0Button->click();
        }
        QCOMPARE(p.field(), QStringLiteral("123456789*0#0000000000"));
        QTest::keyClicks(pad.numberField, "55");
        QCOMPARE(p.field().size(), 22);

        pad.numberField->setCursorPosition(0);
        pad.backspaceButton->click();
        QCOMPARE(p.field(), QStringLiteral("123456789*0#000000000"));
        QCOMPARE(pad.numberField->cursorPosition(), 21);
        pad.numberField->clear();
        pad.backspaceButton->click();
        QCOMPARE(p.field(), QString());
        QCOMPARE(p.commandCount(), 2);
    }

    // Enter in the number field dials; on a focused button it presses that button.
    void enterDials() {
        OpenPad p;
        p.pad().numberField->setText(QStringLiteral("0312345678"));
        QTest::keyClick(p.pad().numberField, Qt::Key_Return);
        QCOMPARE(p.lastCommand(), QByteArray("AT\\D1/0312345678\r"));

        OpenPad q;
        q.pad().numberField->setText(QStringLiteral("0312345678"));
        const qsizetype before = q.commandCount();
        q.pad().cancelButton->setFocus();
        QTest::keyClick(q.pad().cancelButton, Qt::Key_Return);
        QVERIFY(!q.pad().isVisible());
        for (const QByteArray& command : q.commandsFrom(before)) {
            QVERIFY2(!command.contains("0312345678"), command.constData());
        }
    }

    void redialWithEmptyList() {
        OpenPad p;
        p.pad().numberField->setText(QStringLiteral("99"));
        p.pad().redialButton->click();
        QCOMPARE(p.field(), QStringLiteral("99"));
        QCOMPARE(p.exchange().redialIndex(), 0);
    }

    // Slot 0 first, then the highest filled slot and down, cyclically; a dial after "R" hangs
    // up the number still held before it dials the recalled one.
    void redialWalk() {
        OpenPad p;
        p.dialAndFail(QStringLiteral("03-1111-1111"));
        p.dialAndFail(QStringLiteral("0322222222"));
        p.dialAndFail(QStringLiteral("0333333333"));
        QStringList shown;
        for (int i = 0; i < 5; ++i) {
            p.pad().redialButton->click();
            shown << p.field();
        }
        QCOMPARE(shown, (QStringList{"0311111111", "0333333333", "0322222222", "0311111111",
                                     "0333333333"}));
        const qsizetype from = p.commandCount();
        p.pad().startClicked();
        QCOMPARE(p.commandsFrom(from),
                 (QList<QByteArray>{"AT\\D1\r", QByteArray("AT\\D1/0333333333\r")}));
        QCOMPARE(p.state().redialCount, 4);
    }

    void redialLooksUpTheName() {
        OpenPad p;
        db::UserRecord record;
        record.name = QStringLiteral("山田");
        record.tel = QStringLiteral("03-1111-1111");
        record.tel2 = QStringLiteral("0311111111");
        p.app().windows.mainMenu->phoneBookTable.append(record);
        p.dialAndFail(QStringLiteral("0311111111"));
        p.dialAndFail(QStringLiteral("0322222222"));
        QCOMPARE(p.pad().namePanel->text(), QString());
        p.pad().redialButton->click();
        QCOMPARE(p.pad().namePanel->text(), QStringLiteral("山田"));
        p.pad().redialButton->click();
        QCOMPARE(p.pad().namePanel->text(), QString());
    }

    // Right after "連続モード", "R" shows slot 1 and leaves the attempt count at 0, so the
    // first attempt of the run is stored and counted as attempt 0.
    void redialAfterContinuousMode() {
        OpenPad p;
        p.dialAndFail(QStringLiteral("0311111111"));
        p.dialAndFail(QStringLiteral("0322222222"));
        p.pad().continuousModeClicked();
        QCOMPARE(p.exchange().redialIndex(), 1);
        p.pad().redialButton->click();
        QCOMPARE(p.field(), QStringLiteral("0322222222"));
        QCOMPARE(p.exchange().redialIndex(), 0);
        p.pad().startClicked();
        QCOMPARE(p.state().redialList[2].bytes(), QByteArray("0322222222"));
        QCOMPARE(p.state().redialCount, 3);
        p.t.clock.advance(700);
        QCOMPARE(p.startCaption(), QStringLiteral("連続中(0)"));

        // Slot 1 may be empty: the field empties.
        OpenPad q;
        q.dialAndFail(QStringLiteral("0311111111"));
        q.pad().continuousModeClicked();
        q.pad().redialButton->click();
        QCOMPARE(q.field(), QString());
        QCOMPARE(q.exchange().redialIndex(), 0);
    }

    void modeMenu() {
        OpenPad p;
        QCOMPARE(p.pad().normalModeAction->text(), QStringLiteral("通常モード"));
        QCOMPARE(p.pad().continuousModeAction->text(), QStringLiteral("連続モード"));
        QCOMPARE(p.pad().cancelMenuAction->text(), QStringLiteral("キャンセル"));
        p.pad().continuousModeAction->trigger();
        QVERIFY(p.state().continuousDial);
        QCOMPARE(p.startCaption(), QStringLiteral("連続ダイヤル"));
        p.pad().cancelMenuAction->trigger();
        QCOMPARE(p.startCaption(), QStringLiteral("連続ダイヤル"));
        p.pad().normalModeAction->trigger();
        QVERIFY(!p.state().continuousDial);
        QCOMPARE(p.startCaption(), QStringLiteral("ダイヤル開始"));
        QCOMPARE(p.commandCount(), 2);
    }

    // 21 slots: the 22nd number overwrites slot 0.
    void redialListWraps() {
        OpenPad p;
        for (int i = 1; i <= 22; ++i) {
            p.dialAndFail(QStringLiteral("03%1").arg(i, 8, 10, QLatin1Char('0')));
        }
        QCOMPARE(p.state().redialList[0].bytes(), QByteArray("0300000022"));
        QCOMPARE(p.state().redialList[1].bytes(), QByteArray("0300000002"));
        QCOMPARE(p.state().redialList[20].bytes(), QByteArray("0300000021"));
        QCOMPARE(p.state().redialCount, 1);
    }

    // The list survives closing the pad; the pad's own state does not.
    void closingKeepsRedialList() {
        OpenPad p;
        p.dialAndFail(QStringLiteral("0311111111"));
        p.pad().continuousModeClicked();
        p.pad().close();
        QVERIFY(!p.state().continuousDial);
        QCOMPARE(p.exchange().redialIndex(), 0);
        p.openFromMenu();
        QVERIFY(p.pad().isVisible());
        QCOMPARE(p.field(), QString());
        QCOMPARE(p.startCaption(), QStringLiteral("ダイヤル開始"));
        p.pad().redialButton->click();
        QCOMPARE(p.field(), QStringLiteral("0311111111"));
    }

    // The pad shows what the dial reports: the number as dialled, the captions, "ダイヤル中"
    // blinking until the reply is read, then the reply's status.
    void dialShowsTheNumberAndTheReply() {
        OpenPad p;
        p.dial(QStringLiteral("03-1234-5678"));
        QCOMPARE(p.field(), QStringLiteral("03-1234-5678"));
        QCOMPARE(p.startCaption(), QStringLiteral("回線切断"));
        QVERIFY(!p.pad().numberField->isEnabled());
        QVERIFY(!p.pad().redialButton->isEnabled());
        QCOMPARE(p.status(), QString());
        p.t.clock.advance(699);
        QCOMPARE(p.status(), QStringLiteral("ダイヤル中"));
        p.t.clock.advance(1);
        QCOMPARE(p.status(), QStringLiteral("相手側話中"));
        QCOMPARE(p.startCaption(), QStringLiteral("ダイヤル開始"));
        QVERIFY(p.pad().numberField->isEnabled());
        p.t.clock.advance(2000);
        QCOMPARE(p.status(), QStringLiteral("相手側話中"));
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

    void connectedCallCountsItsTime() {
        OpenPad p;
        p.replyToDial({{200, "AC\r\n"}, {65100, "ASTS %L 16\r\n"}});
        p.dial(QStringLiteral("0312345678"));
        p.t.clock.advance(700);
        QCOMPARE(p.status(), QStringLiteral("00:00"));
        QCOMPARE(p.startCaption(), QStringLiteral("回線切断"));
        p.t.clock.advance(5000);
        QCOMPARE(p.status(), QStringLiteral("00:05"));
        p.t.clock.advance(60100);
        QCOMPARE(p.lastCommand(), HangUp1);
        QCOMPARE(p.status(), QStringLiteral("01:05"));
        QCOMPARE(p.startCaption(), QStringLiteral("ダイヤル開始"));
        p.t.clock.advance(3000);
        QCOMPARE(p.status(), QStringLiteral("01:05"));
    }

    void continuousRunCaptions() {
        OpenPad p;
        p.pad().numberField->setText(QStringLiteral("0312345678"));
        p.pad().continuousModeClicked();
        QCOMPARE(p.startCaption(), QStringLiteral("連続ダイヤル"));
        p.pad().startClicked();
        QCOMPARE(p.startCaption(), QStringLiteral("回線切断"));
        p.t.clock.advance(700);
        QCOMPARE(p.startCaption(), QStringLiteral("連続中(1)"));
        QVERIFY(!p.pad().numberField->isEnabled());
        p.t.clock.advance(1000);
        QCOMPARE(p.startCaption(), QStringLiteral("待機中:59"));
        p.t.clock.advance(9000);
        QCOMPARE(p.startCaption(), QStringLiteral("待機中:50"));
        // The start button ends the run and dials once more.
        p.pad().startClicked();
        p.t.clock.advance(1000);
        QCOMPARE(p.startCaption(), QStringLiteral("ダイヤル開始"));
        QVERIFY(p.pad().numberField->isEnabled());
    }

    // The pad's count of a connected call ends a continuous run after a second.
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
        QCOMPARE(r.commandsFrom(from).count(QByteArray("AT\\D1/0312345678\r")), 1);
    }

    void portThatCannotBeOpenedShowsThePortMessage() {
        DialRun r;
        r.startAtMenu();
        r.line->held = true;
        r.openFromMenu();
        QVERIFY(r.app().windows.portMessage->isVisible());
        QVERIFY(!r.pad().isVisible());
        QVERIFY(!r.app().windows.mainMenu->isVisible());
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void closingReturnsToTheMenuAndEmptiesThePad() {
        OpenPad p;
        p.pad().close();
        QVERIFY(p.app().windows.mainMenu->isVisible());

        OpenPad q;
        q.replyToDial({{200, "AC\r\n"}});
        q.dial(QStringLiteral("0312345678"));
        q.t.clock.advance(3000);
        QCOMPARE(q.status(), QStringLiteral("00:02"));
        q.pad().cancelButton->click();
        QCOMPARE(q.lastCommand(), HangUp1);
        QVERIFY(q.t.dialogs.errors.isEmpty());
        QVERIFY(!q.pad().isVisible());
        QVERIFY(q.app().windows.mainMenu->isVisible());
        QCOMPARE(q.field(), QString());
        QCOMPARE(q.status(), QString());
        QCOMPARE(q.startCaption(), QStringLiteral("ダイヤル開始"));
        q.t.clock.advance(5000);
        QCOMPARE(q.status(), QString());
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

QTEST_MAIN(DialPadTest)
#include "dialpad_test.moc"
