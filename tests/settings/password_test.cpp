#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/tmain.h"
#include "link/tform11.h"
#include "settings/tform5.h"
#include "settings/tform7.h"
#include "simrun.h"

namespace {

// The download has read the adapter's code 123 and paused for the password: the port is open
// and the menu hidden.
TForm7* askedForPassword(SimRun& r) {
    r.startAtMenu();
    r.t.app->F.Main->hide();
    r.t.app->F.Form11->Comm1.Open();
    r.t.app->State.PasswordCode = 123;
    r.t.app->State.EnteredPasswordCode = 55;
    r.t.app->F.Form11->Timer2.setInterval(700);
    TForm7* w = r.t.app->F.Form7;
    w->Edit1->clear();
    w->show();
    return w;
}

}  // namespace

class PasswordTest : public QObject {
    Q_OBJECT
private slots:
    void rightPasswordRequestsTheLog_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("122") << "122";
        QTest::newRow("leading zero") << "0122";
        QTest::newRow("377 shares the code") << "377";
    }
    void rightPasswordRequestsTheLog() {
        QFETCH(QString, typed);
        SimRun r;
        TForm7* w = askedForPassword(r);
        w->Edit1->setText(typed);
        w->Button2->click();
        const ProgramState& s = r.t.app->State;
        QCOMPARE(s.EnteredPasswordCode, 123);
        QVERIFY(!w->isVisible());
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\L1123\r"});
        QCOMPARE(s.RxIndex, 0);
        QCOMPARE(s.LoadProgress, 20);
        QCOMPARE(r.t.app->F.Form11->Timer1.interval(), 700);
        QVERIFY(!r.t.app->F.Form11->Timer2.running());
        QVERIFY(!r.t.app->F.Main->isVisible());
    }

    void wrongPasswordShowsTheMainWindowSilently_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("code");
        QTest::newRow("other number") << "12" << 13;
        QTest::newRow("minus one gives code 0") << "-1" << 0;
    }
    void wrongPasswordShowsTheMainWindowSilently() {
        QFETCH(QString, typed);
        SimRun r;
        TForm7* w = askedForPassword(r);
        w->Edit1->setText(typed);
        w->Button2->click();
        QTEST(r.t.app->State.EnteredPasswordCode, "code");
        QVERIFY(!w->isVisible());
        QVERIFY(r.t.app->F.Main->isVisible());
        QVERIFY(r.commands().isEmpty());
        QVERIFY(r.t.dialogs.messages.isEmpty());
        QVERIFY(r.portOpen());
    }

    void textThatIsNotANumberIsTold_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "12ab";
    }
    void textThatIsNotANumberIsTold() {
        QFETCH(QString, typed);
        SimRun r;
        TForm7* w = askedForPassword(r);
        w->Edit1->setText(typed);
        w->Button2->click();
        QCOMPARE(r.t.dialogs.messages.size(), 1);
        QCOMPARE(r.t.dialogs.messages[0].text,
                 QStringLiteral("パスワードは半角数字４桁を入力してください"));
        QCOMPARE(r.t.dialogs.messages[0].caption, QStringLiteral("ティルカ"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->Edit1->text(), typed);
        QCOMPARE(r.t.app->State.EnteredPasswordCode, 55);
        QVERIFY(r.commands().isEmpty());
    }

    void enterConfirms() {
        SimRun r;
        TForm7* w = askedForPassword(r);
        QTest::keyClicks(w->Edit1, "122");
        QTest::keyClick(w->Edit1, Qt::Key_Return);
        QVERIFY(!w->isVisible());
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\L1123\r"});

        // On a focused キャンセル, Enter cancels.
        SimRun q;
        TForm7* v = askedForPassword(q);
        v->Edit1->setText(QStringLiteral("122"));
        v->Button1->setFocus();
        QTest::keyClick(v->Button1, Qt::Key_Return);
        QVERIFY(q.t.app->F.Form5->isVisible());
        QVERIFY(q.commands().isEmpty());
    }

    void cancelOpensTheOptions() {
        SimRun r;
        TForm7* w = askedForPassword(r);
        w->Edit1->setText(QStringLiteral("122"));
        w->Button1->click();
        QVERIFY(!w->isVisible());
        QVERIFY(r.t.app->F.Form5->isVisible());
        QCOMPARE(r.t.app->State.EnteredPasswordCode, 55);
        QVERIFY(r.commands().isEmpty());
        QVERIFY(r.portOpen());
    }

    void closeBoxOnlyHides() {
        SimRun r;
        TForm7* w = askedForPassword(r);
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(!r.t.app->F.Main->isVisible());
        QVERIFY(!r.t.app->F.Form5->isVisible());
        QVERIFY(r.commands().isEmpty());
        QCOMPARE(w->windowTitle(), QStringLiteral("パスワード入力"));
        QCOMPARE(w->Label1->text(), QStringLiteral("パスワードを入力してください"));
    }
};

QTEST_MAIN(PasswordTest)
#include "password_test.moc"
