#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "adapter/devicelink.h"
#include "support/simrun.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/optionswindow.h"
#include "windows/passwordwindow.h"
#include "windows/progresswindow.h"

namespace {

// Commands sent before the password was asked.
qsizetype sentBeforeAsking = 0;

// The download has read the adapter's code 123 and paused for the password: the port is open
// and the menu hidden.
PasswordWindow* askedForPassword(SimRun& r) {
    r.adapter.config().passwordCode = 123;
    r.startAtMenu();
    r.t.app->state.enteredPasswordCode = 55;
    r.t.app->windows.mainMenu->callLogClicked();
    r.t.clock.advance(3200);
    sentBeforeAsking = r.commands().size();
    return r.t.app->windows.password;
}

QList<QByteArray> sentSinceAsking(const SimRun& r) {
    return r.commands().mid(sentBeforeAsking);
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
        PasswordWindow* w = askedForPassword(r);
        QVERIFY(w->isVisible());
        w->passwordField->setText(typed);
        w->confirmButton->click();
        const appstate::ProgramState& s = r.t.app->state;
        QCOMPARE(s.enteredPasswordCode, 123);
        QVERIFY(!w->isVisible());
        QCOMPARE(sentSinceAsking(r), QList<QByteArray>{"AT\\L1123\r"});
        QCOMPARE(r.t.app->link.received().count(), 0);
        QCOMPARE(r.t.app->link.download().loadProgress(), 20);
        QCOMPARE(r.t.app->link.download().tickTimer().interval(), 700);
        QVERIFY(!r.t.app->link.download().stepTimer().running());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
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
        PasswordWindow* w = askedForPassword(r);
        w->passwordField->setText(typed);
        w->confirmButton->click();
        QTEST(r.t.app->state.enteredPasswordCode, "code");
        QVERIFY(!w->isVisible());
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
        QVERIFY(sentSinceAsking(r).isEmpty());
        QVERIFY(r.t.dialogs.messages.isEmpty());
        QVERIFY(r.portOpen());
        QVERIFY(r.t.app->windows.progress->isVisible());

        // The next look asks again with an empty field; the right number then holds for the run.
        r.t.app->windows.mainMenu->callLogClicked();
        r.t.clock.advance(3200);
        QVERIFY(w->isVisible());
        QVERIFY(w->passwordField->text().isEmpty());
        w->passwordField->setText(QStringLiteral("122"));
        w->confirmButton->click();
        r.t.clock.advance(3500);
        QVERIFY(r.t.app->windows.callLog->isVisible());
        QCOMPARE(r.t.app->windows.mainMenu->callLogTable.rowCount(),
                 static_cast<int>(r.adapter.config().calls.size()));
        r.t.app->windows.callLog->reloadButton->click();
        r.t.clock.advance(3200);
        QVERIFY(!w->isVisible());
    }

    void textThatIsNotANumberIsTold_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "12ab";
    }
    void textThatIsNotANumberIsTold() {
        QFETCH(QString, typed);
        SimRun r;
        PasswordWindow* w = askedForPassword(r);
        w->passwordField->setText(typed);
        w->confirmButton->click();
        QCOMPARE(r.t.dialogs.messages.size(), 1);
        QCOMPARE(r.t.dialogs.messages[0].text,
                 QStringLiteral("パスワードは半角数字４桁を入力してください"));
        QCOMPARE(r.t.dialogs.messages[0].caption, QStringLiteral("ティルカ"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->passwordField->text(), typed);
        QCOMPARE(r.t.app->state.enteredPasswordCode, 55);
        QVERIFY(sentSinceAsking(r).isEmpty());
    }

    void enterConfirms() {
        SimRun r;
        PasswordWindow* w = askedForPassword(r);
        QTest::keyClicks(w->passwordField, "122");
        QTest::keyClick(w->passwordField, Qt::Key_Return);
        QVERIFY(!w->isVisible());
        QCOMPARE(sentSinceAsking(r), QList<QByteArray>{"AT\\L1123\r"});

        // On a focused キャンセル, Enter cancels.
        SimRun q;
        PasswordWindow* v = askedForPassword(q);
        v->passwordField->setText(QStringLiteral("122"));
        v->cancelButton->setFocus();
        QTest::keyClick(v->cancelButton, Qt::Key_Return);
        QVERIFY(q.t.app->windows.options->isVisible());
        QVERIFY(sentSinceAsking(q).isEmpty());
    }

    void cancelOpensTheOptions() {
        SimRun r;
        PasswordWindow* w = askedForPassword(r);
        w->passwordField->setText(QStringLiteral("122"));
        w->cancelButton->click();
        QVERIFY(!w->isVisible());
        QVERIFY(r.t.app->windows.options->isVisible());
        QCOMPARE(r.t.app->state.enteredPasswordCode, 55);
        QVERIFY(sentSinceAsking(r).isEmpty());
        QVERIFY(r.portOpen());
    }

    void closeBoxOnlyHides() {
        SimRun r;
        PasswordWindow* w = askedForPassword(r);
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
        QVERIFY(!r.t.app->windows.options->isVisible());
        QVERIFY(sentSinceAsking(r).isEmpty());
        QCOMPARE(w->windowTitle(), QStringLiteral("パスワード入力"));
        QCOMPARE(w->promptLabel->text(), QStringLiteral("パスワードを入力してください"));
    }
};

QTEST_MAIN(PasswordTest)
#include "passwordwindow_test.moc"
