#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/tform10.h"
#include "app/tmain.h"
#include "calllog/tform2.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "link/tform14.h"
#include "phonebook/tuserlist.h"
#include "settings/tform15.h"
#include "settings/tform5.h"
#include "support/logimagebytes.h"
#include "support/testapp.h"

namespace {

enum class Answer { Yes, No, CloseBox };

void answer(TForm10* confirm, Answer a) {
    switch (a) {
        case Answer::Yes:
            confirm->BitBtn1->click();
            break;
        case Answer::No:
            confirm->BitBtn2->click();
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
        app().State.ConfirmKind = kind;
        app().F.Form10->Label1->setText(line1);
        app().F.Form10->Label2->setText(line2);
        app().F.Form10->show();
    }

    hgsim::HgAdapter adapter;
    TestApp t;
    std::shared_ptr<hgsim::SimLine> line;
};

db::UserRecord person(const QString& name) {
    db::UserRecord r;
    r.Name = name;
    r.Tel = QStringLiteral("0312345678");
    r.Tel2 = r.Tel;
    return r;
}

// Holds a converted log of three calls, as after a download.
void holdLog(Run& r) {
    r.app().State.HgClockSeconds = 1000000;
    putLogImage(r.app().State, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}) +
                                   logEntryBytes({1, 2, 990000, 990010, 0, "0600000000", {}}) +
                                   logEntryBytes({2, 1, 0, 990000, 0, "0611111111", {}}));
    r.app().F.Form2->LogConv();
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

class TForm10Test : public QObject {
    Q_OBJECT
private slots:
    void window() {
        TestApp t;
        t.start();
        TForm10* confirm = t.app->F.Form10;
        QCOMPARE(confirm->windowTitle(), QStringLiteral("確認"));
        QCOMPARE(confirm->BitBtn1->text(), QStringLiteral("はい(&Y)"));
        QCOMPARE(confirm->BitBtn2->text(), QStringLiteral("いいえ(&N)"));
        QVERIFY(confirm->Label1->parentWidget() == confirm->Panel1);
        QVERIFY(confirm->Label2->parentWidget() == confirm->Panel1);
        QCOMPARE(confirm->Panel1->frameShadow(), QFrame::Sunken);
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
        db::UserTable& users = r.app().F.Main->UserTable;
        users.append(person(QStringLiteral("佐藤")));
        users.append(person(QStringLiteral("山田")));
        QVERIFY(users.gotoName(QStringLiteral("山田")));
        r.ask(r.app().F.UserList, 1, QStringLiteral("カーソルの指定された個人情報"),
              QStringLiteral("を削除しますか？"));

        answer(r.app().F.Form10, how);
        QCOMPARE(users.recordCount(), left.size());
        for (const QString& name : {QStringLiteral("佐藤"), QStringLiteral("山田")}) {
            QCOMPARE(users.gotoName(name), left.contains(name));
        }
        QVERIFY(!r.app().F.Form10->isVisible());
        QVERIFY(r.app().F.UserList->isEnabled());
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void deleteFailureKeepsTheQuestionOpen() {
        Run r;
        // No record is current: the table refuses the deletion.
        r.ask(r.app().F.UserList, 1, QStringLiteral("カーソルの指定された個人情報"),
              QStringLiteral("を削除しますか？"));
        r.app().F.Form10->BitBtn1->click();
        QCOMPARE(r.t.dialogs.errors.size(), 1);
        QVERIFY(r.app().F.Form10->isVisible());
        QVERIFY(!r.app().F.UserList->isEnabled());
        r.app().F.Form10->BitBtn2->click();
        QVERIFY(r.app().F.UserList->isEnabled());
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
        TForm2* callLog = r.app().F.Form2;
        r.app().State.RxIndex = 17;
        r.ask(callLog, 2, QStringLiteral("ＨＧ内の通信記録を空に"), QStringLiteral("しますか？"));

        answer(r.app().F.Form10, how);
        const bool yes = how == Answer::Yes;
        const ProgramState& s = r.app().State;
        QCOMPARE(r.adapter.commands().contains(QByteArray("AT\\L3\r")), yes);
        QCOMPARE(r.line->opens, yes ? 1 : 0);
        QCOMPARE(s.LogImage[0], uint8_t(yes ? 0 : 1));
        QCOMPARE(s.RxIndex, yes ? 0 : 17);
        QCOMPARE(r.app().F.Main->LogTable.rowCount(), yes ? 0 : 3);
        QCOMPARE(callLog->CountPanel->text(),
                 yes ? QStringLiteral("0 件") : QStringLiteral("3 件"));
        QVERIFY(!r.app().F.Form10->isVisible());
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
        TForm2* callLog = r.app().F.Form2;
        r.ask(callLog, 2, QStringLiteral("ＨＧ内の通信記録を空に"), QStringLiteral("しますか？"));

        r.app().F.Form10->BitBtn1->click();
        QCOMPARE(r.t.dialogs.errors.size(), 1);
        QVERIFY(r.t.dialogs.errors[0].contains(QStringLiteral("オープンエラー")));
        const ProgramState& s = r.app().State;
        QCOMPARE(s.LogImage[0], uint8_t(1));
        QCOMPARE(r.app().F.Main->LogTable.rowCount(), 3);
        QVERIFY(r.adapter.commands().isEmpty());
        QVERIFY(r.app().F.Form10->isVisible());
        QVERIFY(!callLog->isEnabled());

        // Once the port is free, yes clears the adapter's log after all.
        r.line->held = false;
        r.app().F.Form10->BitBtn1->click();
        QCOMPARE(r.adapter.commands(), QList<QByteArray>{"AT\\L3\r"});
        QCOMPARE(r.app().F.Main->LogTable.rowCount(), 0);
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
        TForm15* charges = r.app().F.Form15;
        r.app().F.Main->BitBtn4->click();
        r.t.clock.advance(1000);
        QVERIFY(charges->isVisible());
        r.line->held = true;
        QList<QPushButton*>{charges->Button1, charges->Button2, charges->Button3}[row]->click();
        r.app().F.Form10->BitBtn1->click();
        QVERIFY(r.t.dialogs.errors.isEmpty());
        QCOMPARE(shownWindows(), QWidgetList{r.app().F.Form14});
        QVERIFY(charges->isEnabled());
        if (closeBox) {
            r.app().F.Form14->close();
        } else {
            r.app().F.Form14->Button1->click();
        }
        QCOMPARE(shownWindows(), QWidgetList{r.app().F.Form5});
        QCOMPARE(r.adapter.commands(), QList<QByteArray>{"ATE0N\r"});
    }

    void otherKindsOnlyClose() {
        Run r;
        holdLog(r);
        r.ask(r.app().F.Form2, 3, QStringLiteral("?"), QString());
        r.app().F.Form10->BitBtn1->click();
        QVERIFY(!r.app().F.Form10->isVisible());
        QCOMPARE(r.line->opens, 0);
        QCOMPARE(r.app().F.Main->LogTable.rowCount(), 3);
        QVERIFY(!r.app().F.Form2->isEnabled());
    }
};

QTEST_MAIN(TForm10Test)
#include "tform10_test.moc"
