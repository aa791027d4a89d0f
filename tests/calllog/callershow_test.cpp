#include <QTest>

#include "app/tmain.h"
#include "calllog/callershow.h"
#include "calllog/tform2.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "link/hgcommands.h"
#include "phonebook/tuserlist.h"
#include "support/logimagebytes.h"
#include "support/testapp.h"

namespace {

// The program with the simulated adapter on COM1, past its splash, with every window hidden as
// while the record editor or the dial pad is on screen.
struct Run {
    Run() : adapter(hgsim::HgConfig{}, [this] { return t.wallClock.now(); }) {
        t.ports = std::make_unique<hgsim::SimSerialDeviceFactory>(adapter, t.clock);
        t.start();
        t.clock.advance(2000);
        t.app->F.Main->hide();
    }
    Application& app() { return *t.app; }

    hgsim::HgAdapter adapter;
    TestApp t;
};

}  // namespace

class CallerShowTest : public QObject {
    Q_OBJECT
private slots:
    void callLogWithHeldImage() {
        Run r;
        putLogImage(r.app().State, logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}) +
                                       logEntryBytes({1, 2, 990000, 990010, 0, "06", {}}));
        calllog::CallerShow(r.app(), dialcaller::CallLog);
        QVERIFY(r.app().F.Form2->isVisible());
        QCOMPARE(r.app().F.Main->LogTable.rowCount(), 2);
        QVERIFY(r.adapter.commands().isEmpty());
        QVERIFY(!r.app().F.Main->isVisible());
    }

    void callLogWithoutImageDownloads() {
        Run r;
        QCOMPARE(r.app().State.LogImage[0], uint8_t(255));
        calllog::CallerShow(r.app(), dialcaller::CallLog);
        QVERIFY(!r.app().F.Form2->isVisible());
        QCOMPARE(r.adapter.commands().value(0), hg::LogModeTel1Command(r.app().State));
    }

    void otherCallers_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("list");
        QTest::newRow("phone book list") << int(dialcaller::PhoneBook) << true;
        QTest::newRow("menu") << int(dialcaller::Menu) << false;
        QTest::newRow("unknown code") << 3 << false;
    }
    void otherCallers() {
        QFETCH(int, code);
        QFETCH(bool, list);
        Run r;
        r.app().F.Main->UserTable.setIndex(db::UserTable::Index::Tel2);
        calllog::CallerShow(r.app(), static_cast<uint8_t>(code));
        QCOMPARE(r.app().F.UserList->isVisible(), list);
        QCOMPARE(r.app().F.Main->isVisible(), !list);
        QVERIFY(!r.app().F.Form2->isVisible());
        // Only the way back to the call log re-orders the phone book.
        QCOMPARE(r.app().F.Main->UserTable.index(), db::UserTable::Index::Tel2);
    }
};

QTEST_MAIN(CallerShowTest)
#include "callershow_test.moc"
