#include <QTest>

#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "protocol/hgcommands.h"
#include "support/logimagebytes.h"
#include "support/testapp.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"
#include "windows/phonebookwindow.h"

namespace {

// The program with the simulated adapter on COM1, past its splash, with every window hidden as
// while the record editor or the dial pad is on screen.
struct Run {
    Run() : adapter(hgsim::HgConfig{}, [this] { return t.wallClock.now(); }) {
        t.ports = std::make_unique<hgsim::SimSerialDeviceFactory>(adapter, t.clock);
        t.start();
        t.clock.advance(2000);
        t.app->windows.mainMenu->hide();
    }
    Application& app() { return *t.app; }

    hgsim::HgAdapter adapter;
    TestApp t;
};

}  // namespace

class NavigatorTest : public QObject {
    Q_OBJECT
private slots:
    void callLogWithHeldImage() {
        Run r;
        putLogImage(r.app().state, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}) +
                                       logEntryBytes({1, 2, 990000, 990010, 0, "06", {}}));
        r.app().nav().returnTo(Navigation::Opener::CallLog);
        QVERIFY(r.app().windows.callLog->isVisible());
        QCOMPARE(r.app().windows.mainMenu->callLogTable.rowCount(), 2);
        QVERIFY(r.adapter.commands().isEmpty());
        QVERIFY(!r.app().windows.mainMenu->isVisible());
    }

    void callLogWithoutImageDownloads() {
        Run r;
        QCOMPARE(r.app().state.logImage.bytes()[0], uint8_t(255));
        r.app().nav().returnTo(Navigation::Opener::CallLog);
        QVERIFY(!r.app().windows.callLog->isVisible());
        QCOMPARE(r.adapter.commands().value(0),
                 protocol::hg::logModeTel1Command(r.app().state.settings.adapterModel,
                                                  r.app().state.settings.logModeTel1));
    }

    void otherCallers_data() {
        QTest::addColumn<Navigation::Opener>("opener");
        QTest::addColumn<bool>("list");
        QTest::newRow("phone book list") << Navigation::Opener::PhoneBook << true;
        QTest::newRow("menu") << Navigation::Opener::Menu << false;
        QTest::newRow("record editor") << Navigation::Opener::RecordEditor << false;
    }
    void otherCallers() {
        QFETCH(Navigation::Opener, opener);
        QFETCH(bool, list);
        Run r;
        r.app().windows.mainMenu->phoneBookTable.setIndex(db::PhoneBookTable::Index::Tel2);
        r.app().nav().returnTo(opener);
        QCOMPARE(r.app().windows.phoneBook->isVisible(), list);
        QCOMPARE(r.app().windows.mainMenu->isVisible(), !list);
        QVERIFY(!r.app().windows.callLog->isVisible());
        // Only the way back to the call log re-orders the phone book.
        QCOMPARE(r.app().windows.mainMenu->phoneBookTable.index(), db::PhoneBookTable::Index::Tel2);
    }

    // The day's first start copies both tables; the main menu puts a chosen copy back after
    // asking, keeping the table it replaces as one more copy.
    void dailyBackupAndRestoreFromTheMenu() {
        Run r;
        db::PhoneBookTable& book = r.app().phoneBookTable;
        QCOMPARE(r.app().backups.list(db::BackupKind::PhoneBook).size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(r.app().backups.list(db::BackupKind::Archive).size(), 1, 10000);
        db::UserRecord later;
        later.name = QStringLiteral("山田");
        book.append(later);
        QCOMPARE(book.recordCount(), 1);

        r.t.dialogs.chosenItems = {-1};
        r.app().windows.mainMenu->restoreAction->trigger();
        QCOMPARE(r.t.dialogs.itemLists.value(0).size(), 2);
        QVERIFY2(r.t.dialogs.itemLists.value(0).value(0).startsWith(QStringLiteral("電話帳")),
                 qPrintable(r.t.dialogs.itemLists.value(0).value(0)));
        QCOMPARE(book.recordCount(), 1);

        r.t.dialogs.chosenItems = {0};
        r.t.dialogs.answers = {ui::MsgResult::Yes, ui::MsgResult::Ok};
        r.app().windows.mainMenu->restoreAction->trigger();
        QVERIFY2(r.t.dialogs.errors.isEmpty(), qPrintable(r.t.dialogs.errors.join(u'\n')));
        QVERIFY(book.isOpen());
        QCOMPARE(book.recordCount(), 0);
        const QList<db::BackupFile> copies = r.app().backups.list(db::BackupKind::PhoneBook);
        QCOMPARE(copies.size(), 2);
        QCOMPARE(db::TableBackups::recordCount(db::BackupKind::PhoneBook, copies.first().path), 1);
    }
};

QTEST_MAIN(NavigatorTest)
#include "navigator_test.moc"
