#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "app/backgroundfetch.h"
#include "app/commandjobrunner.h"
#include "protocol/hgcommands.h"
#include "support/simrun.h"
#include "windows/archivemodel.h"
#include "windows/archivewindow.h"
#include "windows/calllogwindow.h"
#include "windows/chargeswindow.h"
#include "windows/confirmationwindow.h"
#include "windows/passwordwindow.h"
#include "windows/progresswindow.h"

namespace {

const QString NotificationsName = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

}  // namespace

// The desktop's notification service as the test's own bus offers it: it keeps what it is sent.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Sent {
        QString title;
        QString body;
        QStringList actions;
    };
    QList<Sent> sent;

    QStringList titles() const {
        QStringList list;
        for (const Sent& s : sent) {
            list << s.title;
        }
        return list;
    }

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        sent << Sent{summary, body, actions};
        return static_cast<uint>(sent.size());
    }
};

namespace {

// A session bus started for the test, with the notification service on it and Tilka's notifier
// and wake watcher listening to it.
struct PrivateBus {
    PrivateBus() {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000)) {
            address = QString::fromUtf8(daemon.readLine().trimmed());
        }
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        daemon.kill();
        daemon.waitForFinished();
    }
    bool serve(Application& app) {
        QDBusConnection service = QDBusConnection::connectToBus(address, QStringLiteral("service"));
        if (!service.registerService(NotificationsName) ||
            !service.registerService(QStringLiteral("org.freedesktop.login1")) ||
            !service.registerObject(NotificationsPath, &server, QDBusConnection::ExportAllSlots)) {
            return false;
        }
        const QDBusConnection program =
            QDBusConnection::connectToBus(address, QStringLiteral("program"));
        app.notifier.useBus(program);
        app.wakeWatcher.listenOn(program);
        return program.isConnected();
    }
    // The user picks the action with key on the n-th notification (from 1).
    void pick(int n, const QString& key) {
        QDBusMessage signal =
            QDBusMessage::createSignal(NotificationsPath, NotificationsName, "ActionInvoked");
        signal << uint(n) << key;
        QDBusConnection(QStringLiteral("service")).send(signal);
    }
    void wake() {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << false;
        QDBusConnection(QStringLiteral("service")).send(signal);
    }

    QProcess daemon;
    QString address;
    NotificationServer server;
};

// A resident run on the simulated adapter, its notifications on a private bus.
struct ResidentRun {
    explicit ResidentRun(const QByteArray& background) {
        sim.t.writeSettings("[Background]\nResident=1\n" + background);
    }
    bool start() {
        sim.t.start();
        return bus.serve(app());
    }
    Application& app() { return *sim.t.app; }
    BackgroundFetch& fetch() { return app().backgroundFetch(); }
    // Lets the clock run until the quiet download has ended and let go of the port.
    void finishDownload() {
        for (int s = 0; s < 60 && fetch().running(); ++s) {
            sim.t.clock.advance(1000);
            QCoreApplication::processEvents();
        }
    }
    qsizetype commandCount() const { return sim.commands().size(); }

    SimRun sim;
    PrivateBus bus;
};

}  // namespace

class BackgroundFetchTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            QSKIP("dbus-daemon is not installed (Debian package dbus)");
        }
    }

    // Shortly after the start a download runs with no window; its new calls are told with an
    // action that shows just them, and a menu command for the adapter waits for it to end.
    void quietDownloadAfterTheStart() {
        ResidentRun r("FetchMinutes=5\n");
        QVERIFY(r.start());
        ArchiveWindow* archive = r.app().windows.archive;
        archive->showArchive();
        r.sim.t.clock.advance(BackgroundFetch::AfterStartMs - 1);
        QCOMPARE(r.commandCount(), 0);
        r.sim.t.clock.advance(1);
        QVERIFY(r.fetch().running());

        r.app().nav().runMenuCommand(Navigation::MenuCommand::Charges);
        QCOMPARE(r.sim.t.dialogs.messages.value(0).text, adapterBusyMessage());
        QVERIFY(!r.app().windows.charges->isVisible());

        r.finishDownload();
        QVERIFY(!r.fetch().running());
        QVERIFY(!r.sim.portOpen());
        QVERIFY(!r.app().windows.progress->isVisible());
        QVERIFY(!r.app().windows.callLog->isVisible());
        QCOMPARE(r.app().callLogTable.rowCount(), 10);
        QCOMPARE(r.app().callArchive.totals({}).count, 10);
        QCOMPARE(archive->model->rowCount(), 10);
        QVERIFY2(r.fetch().statusText().contains(QStringLiteral("新規 10 件")),
                 qPrintable(r.fetch().statusText()));

        QTRY_COMPARE(r.bus.server.sent.size(), 1);
        const NotificationServer::Sent& told = r.bus.server.sent[0];
        QCOMPARE(told.title, QStringLiteral("新着 10 件"));
        const QStringList lines = told.body.split(u'\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[0].endsWith(QStringLiteral("12/07 16:40")), qPrintable(lines[0]));
        QCOMPARE(lines[3], QStringLiteral("留守 2 件"));
        QCOMPARE(told.actions,
                 QStringList({QStringLiteral("open-new-calls"), QStringLiteral("通話履歴を開く")}));

        r.bus.pick(1, QStringLiteral("open-new-calls"));
        QTRY_VERIFY(archive->dateRangeBox->isChecked());
        QVERIFY(archive->isVisible());
        QCOMPARE(archive->model->rowCount(), 10);
    }

    // The schedule skips a turn while an exchange window is open, tells a failure once however
    // often it repeats, and stops at a password it does not know until a download by hand.
    void scheduleSkipsRetriesAndPauses() {
        ResidentRun r("FetchMinutes=5\n");
        QVERIFY(r.start());
        r.app().windows.charges->show();
        r.sim.t.clock.advance(5 * 60 * 1000);
        QCOMPARE(r.commandCount(), 0);
        r.app().windows.charges->hide();

        r.sim.line->held = true;
        for (int turn = 0; turn < 2; ++turn) {
            r.sim.t.clock.advance(5 * 60 * 1000);
            r.finishDownload();
            QVERIFY2(r.fetch().statusText().contains(QStringLiteral("受信できませんでした")),
                     qPrintable(r.fetch().statusText()));
        }
        QTest::qWait(100);
        QCOMPARE(r.bus.server.titles(), QStringList{QStringLiteral("自動受信できません")});
        QCOMPARE(r.app().callArchive.totals({}).count, 0);

        r.sim.line->held = false;
        r.sim.adapter.config().passwordCode = 321;
        r.sim.t.clock.advance(5 * 60 * 1000);
        r.finishDownload();
        QVERIFY(r.fetch().paused());
        QVERIFY(!r.app().windows.password->isVisible());
        QTRY_COMPARE(r.bus.server.titles().value(1), QStringLiteral("手動での受信が必要です"));
        const qsizetype sent = r.commandCount();
        r.sim.t.clock.advance(5 * 60 * 1000);
        QCOMPARE(r.commandCount(), sent);

        rules::LogImportResult byHand;
        byHand.converted = true;
        r.fetch().downloaded(byHand);
        r.sim.adapter.config().passwordCode = 0;
        r.sim.t.clock.advance(5 * 60 * 1000);
        r.finishDownload();
        QCOMPARE(r.app().callArchive.totals({}).count, 10);
    }

    void wakeStartsADownload() {
        ResidentRun r("FetchMinutes=30\n");
        QVERIFY(r.start());
        r.sim.t.clock.advance(2000);
        QSignalSpy woke(&r.app().wakeWatcher, &ui::WakeWatcher::woke);
        r.bus.wake();
        QVERIFY(woke.wait(5000));
        r.sim.t.clock.advance(BackgroundFetch::AfterWakeMs - 1);
        QCOMPARE(r.commandCount(), 0);
        r.sim.t.clock.advance(1);
        QVERIFY(r.fetch().running());
    }

    // A full log memory is told with "LOG 削除"; the log is cleared without asking only after a
    // download whose every call is in the archive.
    void memoryGuardAndClearAfterAWholeArchive() {
        ResidentRun r("FetchMinutes=5\nNotify=0\nFullPercent=1\n");
        QVERIFY(r.start());
        r.sim.t.clock.advance(BackgroundFetch::AfterStartMs);
        r.finishDownload();
        QTRY_COMPARE(r.bus.server.sent.size(), 1);
        QCOMPARE(r.bus.server.sent[0].title,
                 QStringLiteral("HGの記録メモリが残り少なくなっています"));
        QCOMPARE(r.bus.server.sent[0].actions.value(1), QStringLiteral("LOG 削除"));
        r.bus.pick(1, QStringLiteral("clear-log"));
        QTRY_VERIFY(r.app().windows.confirmation->isVisible());
        r.app().windows.confirmation->hide();

        appstate::BackgroundSettings clearing = r.app().backgroundSettings();
        clearing.clearWhenArchived = true;
        r.app().applyBackgroundSettings(clearing);
        // An archive that cannot take the calls keeps the adapter's log as it is.
        r.app().callArchive.close();
        r.sim.t.clock.advance(5 * 60 * 1000);
        r.finishDownload();
        QVERIFY(!r.sim.commands().contains(protocol::hg::logClearCommand()));
        QCOMPARE(r.sim.adapter.config().calls.size(), size_t{10});

        r.app().callArchive.open();
        r.sim.t.clock.advance(5 * 60 * 1000);
        r.finishDownload();
        QVERIFY(r.sim.adapter.config().calls.empty());
        QCOMPARE(r.app().callArchive.totals({}).count, 10);
        QCOMPARE(r.app().callLogTable.rowCount(), 0);
        QTRY_VERIFY(r.bus.server.titles().contains(QStringLiteral("HGの記録を削除しました")));
    }
};

QTEST_MAIN(BackgroundFetchTest)
#include "backgroundfetch_test.moc"
