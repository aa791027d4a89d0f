#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/mainmenuwindow.h"
#include "link/devicelink.h"
#include "settings/optionswindow.h"
#include "settings/passwordwindow.h"
#include "simrun.h"

namespace {

// The download has read the adapter's code 123 and paused for the password: the port is open
// and the menu hidden.
PasswordWindow* askedForPassword(SimRun& r) {
    r.startAtMenu();
    r.t.app->windows.mainMenu->hide();
    r.t.app->windows.deviceLink->serialPort.open();
    r.t.app->State.PasswordCode = 123;
    r.t.app->State.EnteredPasswordCode = 55;
    r.t.app->windows.deviceLink->downloadStepTimer.setInterval(700);
    PasswordWindow* w = r.t.app->windows.password;
    w->passwordField->clear();
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
        PasswordWindow* w = askedForPassword(r);
        w->passwordField->setText(typed);
        w->confirmButton->click();
        const ProgramState& s = r.t.app->State;
        QCOMPARE(s.EnteredPasswordCode, 123);
        QVERIFY(!w->isVisible());
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\L1123\r"});
        QCOMPARE(s.RxIndex, 0);
        QCOMPARE(s.LoadProgress, 20);
        QCOMPARE(r.t.app->windows.deviceLink->transferTickTimer.interval(), 700);
        QVERIFY(!r.t.app->windows.deviceLink->downloadStepTimer.running());
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
        QTEST(r.t.app->State.EnteredPasswordCode, "code");
        QVERIFY(!w->isVisible());
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
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
        PasswordWindow* w = askedForPassword(r);
        w->passwordField->setText(typed);
        w->confirmButton->click();
        QCOMPARE(r.t.dialogs.messages.size(), 1);
        QCOMPARE(r.t.dialogs.messages[0].text,
                 QStringLiteral("パスワードは半角数字４桁を入力してください"));
        QCOMPARE(r.t.dialogs.messages[0].caption, QStringLiteral("ティルカ"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->passwordField->text(), typed);
        QCOMPARE(r.t.app->State.EnteredPasswordCode, 55);
        QVERIFY(r.commands().isEmpty());
    }

    void enterConfirms() {
        SimRun r;
        PasswordWindow* w = askedForPassword(r);
        QTest::keyClicks(w->passwordField, "122");
        QTest::keyClick(w->passwordField, Qt::Key_Return);
        QVERIFY(!w->isVisible());
        QCOMPARE(r.commands(), QList<QByteArray>{"AT\\L1123\r"});

        // On a focused キャンセル, Enter cancels.
        SimRun q;
        PasswordWindow* v = askedForPassword(q);
        v->passwordField->setText(QStringLiteral("122"));
        v->cancelButton->setFocus();
        QTest::keyClick(v->cancelButton, Qt::Key_Return);
        QVERIFY(q.t.app->windows.options->isVisible());
        QVERIFY(q.commands().isEmpty());
    }

    void cancelOpensTheOptions() {
        SimRun r;
        PasswordWindow* w = askedForPassword(r);
        w->passwordField->setText(QStringLiteral("122"));
        w->cancelButton->click();
        QVERIFY(!w->isVisible());
        QVERIFY(r.t.app->windows.options->isVisible());
        QCOMPARE(r.t.app->State.EnteredPasswordCode, 55);
        QVERIFY(r.commands().isEmpty());
        QVERIFY(r.portOpen());
    }

    void closeBoxOnlyHides() {
        SimRun r;
        PasswordWindow* w = askedForPassword(r);
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
        QVERIFY(!r.t.app->windows.options->isVisible());
        QVERIFY(r.commands().isEmpty());
        QCOMPARE(w->windowTitle(), QStringLiteral("パスワード入力"));
        QCOMPARE(w->promptLabel->text(), QStringLiteral("パスワードを入力してください"));
    }
};

QTEST_MAIN(PasswordTest)
#include "password_test.moc"
