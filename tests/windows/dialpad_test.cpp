#include <QtTest>

#include "support/dialrun.h"

namespace {

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
};

QTEST_MAIN(DialPadTest)
#include "dialpad_test.moc"
