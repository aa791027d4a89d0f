#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "db/phonebooktable.h"
#include "support/simrun.h"
#include "ui/gauge.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/portmessagewindow.h"
#include "windows/progresswindow.h"

namespace {

const QString NotReceived = QStringLiteral(
    "HGから通話記録を受信できませんでした。\nケーブルの接続とHGの電源を確認してください。");

// A download started from the main menu; the timeline is the link's, the windows show it.
struct Download : SimRun {
    Download() { startAtMenu(); }

    void press() { t.app->windows.mainMenu->callLogButton->click(); }
    void silence() { adapter.config().replyDelayMs = 1000000; }

    MainMenuWindow* menu() { return t.app->windows.mainMenu; }
    CallLogWindow* callLog() { return t.app->windows.callLog; }
    int gauge() { return t.app->windows.progress->gauge->progress(); }
    bool progressShown() { return t.app->windows.progress->isVisible(); }
    int rows() { return menu()->callLogTable.rowCount(); }
    int calls() { return static_cast<int>(adapter.config().calls.size()); }
};

}  // namespace

class ProgressWindowTest : public QObject {
    Q_OBJECT
private slots:
    void downloadShowsTheGaugeThenTheCallLog() {
        Download d;
        d.menu()->callLogTable.setFiltered(true);
        d.press();
        QVERIFY(!d.menu()->isVisible());
        QVERIFY(d.progressShown());
        QCOMPARE(d.gauge(), 0);
        d.t.clock.advance(3200);
        QCOMPARE(d.gauge(), 30);
        d.t.clock.advance(4800);
        QVERIFY(!d.progressShown());
        QCOMPARE(d.gauge(), 0);
        QVERIFY(d.callLog()->isVisible());
        QCOMPARE(d.rows(), d.calls());
        QCOMPARE(d.callLog()->filterPanel->text(), QStringLiteral("全て表示する"));
        QVERIFY(!d.menu()->callLogTable.filtered());
        QVERIFY(d.t.dialogs.messages.isEmpty());
    }

    // A failed download leaves the table, the phone book and the archive as they were, says so
    // once and returns to the window it was started from.
    void failedDownloadKeepsTheTables() {
        Download d;
        db::UserRecord person;
        person.name = QStringLiteral("山田");
        person.tel = person.tel2 = QStringLiteral("0312345678");
        db::PhoneBookTable& book = d.menu()->phoneBookTable;
        book.append(person);
        d.press();
        d.t.clock.advance(8000);
        QVERIFY(d.callLog()->isVisible());
        book.gotoName(person.name);
        const QString lastCall = book.current()->lastCall;
        QVERIFY(!lastCall.isEmpty());
        const int rows = d.rows();
        const int64_t archived = d.t.app->callArchive.totals({}).count;
        QCOMPARE(archived, d.calls());
        d.adapter.config().calls.resize(4);
        d.adapter.config().calls[0].charge += 1;  // a new call, were the download to succeed

        d.callLog()->reloadButton->click();
        d.silence();
        d.t.clock.advance(3200);
        QVERIFY(!d.progressShown());
        QCOMPARE(d.gauge(), 0);
        QCOMPARE(d.t.dialogs.messages.size(), 1);
        QCOMPARE(d.t.dialogs.messages[0].text, NotReceived);
        QVERIFY(d.callLog()->isVisible());
        QVERIFY(!d.menu()->isVisible());
        QCOMPARE(d.rows(), rows);
        book.gotoName(person.name);
        QCOMPARE(book.current()->lastCall, lastCall);
        QCOMPARE(d.t.app->callArchive.totals({}).count, archived);
        d.t.clock.advance(10000);
        QVERIFY(!d.progressShown());
        QCOMPARE(d.t.dialogs.messages.size(), 1);

        // Started from the menu, a failure goes back to the menu.
        d.callLog()->close();
        d.t.app->state.logImage.markStale();
        d.press();
        d.t.clock.advance(3200);
        QVERIFY(!d.callLog()->isVisible());
        QVERIFY(d.menu()->isVisible());
        QCOMPARE(d.t.dialogs.messages.size(), 2);
    }

    void closingTheWindowAbandons() {
        Download d;
        d.press();
        d.t.clock.advance(4000);
        d.t.app->windows.progress->close();
        QVERIFY(!d.progressShown());
        QVERIFY(d.menu()->isVisible());
        QCOMPARE(d.t.app->state.logImage.bytes()[0], 255);
        d.t.clock.advance(10000);
        QVERIFY(!d.callLog()->isVisible());
        QVERIFY(!d.portOpen());

        d.press();
        QVERIFY(d.progressShown());
        QVERIFY(d.t.app->link.download().inProgress());
    }

    void portThatCannotBeOpened() {
        Download d;
        d.t.app->state.settings.comPort = 2;
        d.press();
        QVERIFY(d.t.app->windows.portMessage->isVisible());
        QVERIFY(!d.progressShown());
        QVERIFY(!d.menu()->isVisible());
        QVERIFY(d.commands().isEmpty());
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progresswindow_test.moc"
