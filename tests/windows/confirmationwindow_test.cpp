#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "support/logimagebytes.h"
#include "support/testapp.h"
#include "windows/calllogwindow.h"
#include "windows/chargeswindow.h"
#include "windows/confirmationwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"
#include "windows/optionswindow.h"
#include "windows/phonebookwindow.h"
#include "windows/portmessagewindow.h"

namespace {

enum class Answer { Yes, No, CloseBox };

void answer(ConfirmationWindow* confirm, Answer a) {
    switch (a) {
        case Answer::Yes:
            confirm->yesButton->click();
            break;
        case Answer::No:
            confirm->noButton->click();
            break;
        case Answer::CloseBox:
            confirm->close();
            break;
    }
}

// The program with the simulated adapter on COM1, started and past its splash.
struct Run {
    explicit Run(bool portHeld = false)
        : adapter(hgsim::HgConfig{}, [this] { return t.wallClock.now(); }) {
        auto factory = std::make_unique<hgsim::SimSerialDeviceFactory>(adapter, t.clock);
        line = factory->line;
        line->held = portHeld;
        t.ports = std::move(factory);
        t.start();
        t.clock.advance(2000);
    }

    Application& app() { return *t.app; }

    // What the asking window does before the question shows.
    void ask(QWidget* asking, int kind, const QString& line1, const QString& line2) {
        asking->setEnabled(false);
        app().windows.confirmation->ask(kind, line1, line2);
    }

    hgsim::HgAdapter adapter;
    TestApp t;
    std::shared_ptr<hgsim::SimLine> line;
};

db::UserRecord person(const QString& name) {
    db::UserRecord r;
    r.name = name;
    r.tel = QStringLiteral("0312345678");
    r.tel2 = r.tel;
    return r;
}

// Holds a converted log of three calls, as after a download.
void holdLog(Run& r) {
    r.app().state.hgClockSeconds = 1000000;
    putLogImage(r.app().state, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}) +
                                   logEntryBytes({1, 2, 990000, 990010, 0, "0600000000", {}}) +
                                   logEntryBytes({2, 1, 0, 990000, 0, "0611111111", {}}));
    r.app().nav().callLogChanged();
}

QWidgetList shownWindows() {
    QWidgetList shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            shown.append(window);
        }
    }
    return shown;
}

}  // namespace

Q_DECLARE_METATYPE(Answer)

class ConfirmationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void window() {
        TestApp t;
        t.start();
        ConfirmationWindow* confirm = t.app->windows.confirmation;
        QCOMPARE(confirm->windowTitle(), QStringLiteral("確認"));
        QCOMPARE(confirm->yesButton->text(), QStringLiteral("はい(&Y)"));
        QCOMPARE(confirm->noButton->text(), QStringLiteral("いいえ(&N)"));
        QVERIFY(confirm->firstLine->parentWidget() == confirm->questionPanel);
        QVERIFY(confirm->secondLine->parentWidget() == confirm->questionPanel);
        QCOMPARE(confirm->questionPanel->frameShadow(), QFrame::Sunken);
        QVERIFY(!confirm->isVisible());
    }

    void deleteRecord_data() {
        QTest::addColumn<Answer>("how");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("yes") << Answer::Yes << QStringList{QStringLiteral("佐藤")};
        QTest::newRow("no") << Answer::No
                            << QStringList{QStringLiteral("佐藤"), QStringLiteral("山田")};
        QTest::newRow("close box")
            << Answer::CloseBox << QStringList{QStringLiteral("佐藤"), QStringLiteral("山田")};
    }
    void deleteRecord() {
        QFETCH(Answer, how);
        QFETCH(QStringList, left);
        Run r;
        db::PhoneBookTable& users = r.app().windows.mainMenu->phoneBookTable;
        users.append(person(QStringLiteral("佐藤")));
        users.append(person(QStringLiteral("山田")));
        QVERIFY(users.gotoName(QStringLiteral("山田")));
        r.ask(r.app().windows.phoneBook, 1, QStringLiteral("カーソルの指定された個人情報"),
              QStringLiteral("を削除しますか？"));

        answer(r.app().windows.confirmation, how);
        QCOMPARE(users.recordCount(), left.size());
        for (const QString& name : {QStringLiteral("佐藤"), QStringLiteral("山田")}) {
            QCOMPARE(users.gotoName(name), left.contains(name));
        }
        QVERIFY(!r.app().windows.confirmation->isVisible());
        QVERIFY(r.app().windows.phoneBook->isEnabled());
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void deleteFailureKeepsTheQuestionOpen() {
        Run r;
        // No record is current: the table refuses the deletion.
        r.ask(r.app().windows.phoneBook, 1, QStringLiteral("カーソルの指定された個人情報"),
              QStringLiteral("を削除しますか？"));
        r.app().windows.confirmation->yesButton->click();
        QCOMPARE(r.t.dialogs.errors.size(), 1);
        QVERIFY(r.app().windows.confirmation->isVisible());
        QVERIFY(!r.app().windows.phoneBook->isEnabled());
        r.app().windows.confirmation->noButton->click();
        QVERIFY(r.app().windows.phoneBook->isEnabled());
    }

    void clearLog_data() {
        QTest::addColumn<Answer>("how");
        QTest::newRow("yes") << Answer::Yes;
        QTest::newRow("no") << Answer::No;
        QTest::newRow("close box") << Answer::CloseBox;
    }
    void clearLog() {
        QFETCH(Answer, how);
        Run r;
        holdLog(r);
        CallLogWindow* callLog = r.app().windows.callLog;
        // Bytes of an earlier exchange, which the clear restarts from.
        QVERIFY(r.app().link.openPort());
        r.line->send(0, QByteArray(17, '.'));
        r.t.clock.advance(0);
        r.app().link.closePort();
        r.ask(callLog, 2, QStringLiteral("ＨＧ内の通信記録を空に"), QStringLiteral("しますか？"));

        answer(r.app().windows.confirmation, how);
        const bool yes = how == Answer::Yes;
        const appstate::ProgramState& s = r.app().state;
        QCOMPARE(r.adapter.commands().contains(QByteArray("AT\\L3\r")), yes);
        QCOMPARE(r.line->opens, yes ? 2 : 1);
        QCOMPARE(s.logImage.bytes()[0], uint8_t(yes ? 0 : 1));
        QCOMPARE(r.app().link.received().count(), yes ? 0 : 17);
        QCOMPARE(r.app().windows.mainMenu->callLogTable.rowCount(), yes ? 0 : 3);
        QCOMPARE(callLog->countPanel->text(),
                 yes ? QStringLiteral("0 件") : QStringLiteral("3 件"));
        QVERIFY(!r.app().windows.confirmation->isVisible());
        QVERIFY(callLog->isEnabled());
        QVERIFY(r.t.dialogs.errors.isEmpty());
        // The port closes half a second after the command.
        r.t.clock.advance(499);
        QCOMPARE(r.line->open, yes);
        r.t.clock.advance(1);
        QVERIFY(!r.line->open);
    }

    void clearLogKeepsTheLogWhenThePortFails() {
        Run r(true);
        holdLog(r);
        CallLogWindow* callLog = r.app().windows.callLog;
        r.ask(callLog, 2, QStringLiteral("ＨＧ内の通信記録を空に"), QStringLiteral("しますか？"));

        r.app().windows.confirmation->yesButton->click();
        QCOMPARE(r.t.dialogs.errors.size(), 1);
        QVERIFY(r.t.dialogs.errors[0].contains(QStringLiteral("オープンエラー")));
        const appstate::ProgramState& s = r.app().state;
        QCOMPARE(s.logImage.bytes()[0], uint8_t(1));
        QCOMPARE(r.app().windows.mainMenu->callLogTable.rowCount(), 3);
        QVERIFY(r.adapter.commands().isEmpty());
        QVERIFY(r.app().windows.confirmation->isVisible());
        QVERIFY(!callLog->isEnabled());

        // Once the port is free, yes clears the adapter's log after all.
        r.line->held = false;
        r.app().windows.confirmation->yesButton->click();
        QCOMPARE(r.adapter.commands(), QList<QByteArray>{"AT\\L3\r"});
        QCOMPARE(r.app().windows.mainMenu->callLogTable.rowCount(), 0);
        QVERIFY(callLog->isEnabled());
    }

    void chargeResetOnAnUnusablePort_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("TEL 1, port message answered") << 0 << false;
        QTest::newRow("digital, port message closed by its close box") << 2 << true;
    }
    // The port message alone tells the failure, and leads to the options alone.
    void chargeResetOnAnUnusablePort() {
        QFETCH(int, row);
        QFETCH(bool, closeBox);
        Run r;
        ChargesWindow* charges = r.app().windows.charges;
        r.app().windows.mainMenu->chargesButton->click();
        r.t.clock.advance(1000);
        QVERIFY(charges->isVisible());
        r.line->held = true;
        QList<QPushButton*>{charges->resetTel1Button, charges->resetTel2Button,
                            charges->resetDigitalButton}[row]
            ->click();
        r.app().windows.confirmation->yesButton->click();
        QVERIFY(r.t.dialogs.errors.isEmpty());
        QCOMPARE(shownWindows(), QWidgetList{r.app().windows.portMessage});
        QVERIFY(charges->isEnabled());
        if (closeBox) {
            r.app().windows.portMessage->close();
        } else {
            r.app().windows.portMessage->okButton->click();
        }
        QCOMPARE(shownWindows(), QWidgetList{r.app().windows.options});
        QCOMPARE(r.adapter.commands(), QList<QByteArray>{"ATE0N\r"});
    }

    void otherKindsOnlyClose() {
        Run r;
        holdLog(r);
        r.ask(r.app().windows.callLog, 3, QStringLiteral("?"), QString());
        r.app().windows.confirmation->yesButton->click();
        QVERIFY(!r.app().windows.confirmation->isVisible());
        QCOMPARE(r.line->opens, 0);
        QCOMPARE(r.app().windows.mainMenu->callLogTable.rowCount(), 3);
        QVERIFY(!r.app().windows.callLog->isEnabled());
    }
};

QTEST_MAIN(ConfirmationWindowTest)
#include "confirmationwindow_test.moc"
