// A download from the simulated adapter into the tables with no window and no GUI application:
// the path a background download or a command line takes.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include "adapter/devicelink.h"
#include "db/archiveoutbox.h"
#include "db/callarchive.h"
#include "db/phonebooktable.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "protocol/secondsscale.h"
#include "rules/logimport.h"
#include "state/programstate.h"
#include "support/scripteddialogs.h"
#include "ui/manualclock.h"

class DownloadCoreTest : public QObject {
    Q_OBJECT
private slots:
    void downloadFillsTheTablesWithoutAWindow() {
        QVERIFY(!qobject_cast<QGuiApplication*>(QCoreApplication::instance()));
        QTemporaryDir dir;
        ui::ManualClock clock;
        FixedWallClock wallClock;
        hgsim::HgAdapter adapter(hgsim::HgConfig{}, [&wallClock] { return wallClock.now(); });
        hgsim::SimSerialDeviceFactory ports(adapter, clock);
        appstate::ProgramState state;
        state.settings.comPort = 1;
        state.settings.clockDriftSetting = 99;
        state.logImage.markStale();

        db::CallLogTable log(dir.path());
        db::PhoneBookTable users(dir.path());
        db::CallArchive archive(dir.path(), protocol::monthOfMoment);
        users.createTable();
        users.open();
        archive.open();
        const QByteArray firstNumber = adapter.config().calls.front().number;
        db::UserRecord caller;
        caller.name = QStringLiteral("山田");
        caller.tel2 = QString::fromLatin1(firstNumber);
        users.append(caller);
        db::ArchiveOutbox outbox(dir.path());
        rules::LogImport import(state, log, users, archive, outbox);

        adapter::DeviceLink link(state, clock, wallClock, ports);
        rules::LogImportResult result;
        int finished = 0;
        QObject::connect(&link.download(), &adapter::LogDownload::imageReady, [&] {
            ++finished;
            result = import.importDownload(wallClock.now());
        });
        QObject::connect(&link.download(), &adapter::LogDownload::failed, [&] { finished = -1; });

        const int calls = static_cast<int>(adapter.config().calls.size());
        QVERIFY(calls > 1);
        for (int round = 1; round <= 2; ++round) {
            link.startDownload();
            QVERIFY(link.download().inProgress());
            clock.advance(10000);
            QCOMPARE(finished, round);
            QVERIFY(!state.logImage.isStale());
            QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
            QCOMPARE(result.rows, calls);
            QCOMPARE(log.rowCount(), calls);
            // The second download of the same log adds nothing to the archive.
            QCOMPARE(result.archivedCalls, round == 1 ? calls : 0);
            QCOMPARE(archive.totals({}).count, int64_t{calls});
        }
        QCOMPARE(log.row(0).name, QStringLiteral("山田"));
        QVERIFY(users.gotoName(QStringLiteral("山田")));
        QVERIFY(!users.current()->lastCall.isEmpty());
        QVERIFY(!ports.line->open);
    }
};

QTEST_GUILESS_MAIN(DownloadCoreTest)
#include "downloadcore_test.moc"
