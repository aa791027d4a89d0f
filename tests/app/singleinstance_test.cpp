// One program at a time: a second start reaches the running one through the per-user socket,
// which shows its window in use or does the job on its own tables and adapter link.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <future>

#include "app/instancechannel.h"
#include "app/runninginstance.h"
#include "support/simrun.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/progresswindow.h"

namespace {

// What a crashed run leaves: a socket file no one listens on.
bool leaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
}

// The running program with the simulated adapter, listening on a socket of the test's own.
struct Running {
    Running() : name(runtime.filePath(QStringLiteral("tilka-test"))) {
        sim.startAtMenu();
        instance = std::make_unique<RunningInstance>(*sim.t.app);
    }

    // A second start asks from another thread while this one runs the program's events.
    std::optional<InstanceReply> ask(InstanceRequest request) {
        auto reply = std::async(std::launch::async,
                                [this, request] { return InstanceChannel::ask(name, request); });
        for (int i = 0;
             i < 2000 && reply.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready;
             ++i) {
            QCoreApplication::processEvents();
            sim.t.clock.advance(20);
            QTest::qWait(1);
        }
        return reply.get();
    }
    std::optional<InstanceReply> job(const QStringList& arguments) {
        return ask({InstanceRequest::Kind::Job, QStringList{QStringLiteral("tilka")} + arguments,
                    sim.t.folder()});
    }

    QTemporaryDir runtime;
    QString name;
    SimRun sim;
    std::unique_ptr<RunningInstance> instance;
};

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Jobs handed over run on the running program's open tables and link.
    void handedOverJobs() {
        Running r;
        QVERIFY(r.instance->listen(r.name));
        Application& app = *r.sim.t.app;
        db::UserRecord person;
        person.name = QStringLiteral("山田");
        person.tel2 = QStringLiteral("0312345678");
        app.phoneBookTable.append(person);

        // A relative path is the second start's: its working folder.
        std::optional<InstanceReply> reply = r.job({"--export-phonebook", "book.vcf"});
        QVERIFY(reply.has_value());
        const QString book = QDir(r.sim.t.folder()).filePath(QStringLiteral("book.vcf"));
        QCOMPARE(reply->exitCode, 0);
        QCOMPARE(reply->text, QStringLiteral("1 件を書き出しました: %1").arg(book));
        QVERIFY(QFile(book).size() > 0);

        // The download reports to the second start; the running one shows its progress alone.
        const int calls = static_cast<int>(r.sim.adapter.config().calls.size());
        reply = r.job({"--download"});
        QVERIFY(reply.has_value());
        QVERIFY2(reply->exitCode == 0, qPrintable(reply->text));
        QCOMPARE(reply->text, QStringLiteral("%1 件を受信、うち新規 %1 件").arg(calls));
        QCOMPARE(app.callLogTable.rowCount(), calls);
        QVERIFY(!app.windows.progress->isVisible());
        QVERIFY(!app.windows.callLog->isVisible());
        QVERIFY(!r.sim.portOpen());

        // An exchange-starting window is open: the download is refused, the window untouched.
        app.windows.progress->show();
        reply = r.job({"--download"});
        QVERIFY(reply.has_value());
        QCOMPARE(reply->exitCode, 1);
        QCOMPARE(reply->text, QStringLiteral("アダプターと通信中です。あとでやり直してください。"));
        QVERIFY(app.windows.progress->isVisible());
        app.windows.progress->hide();

        // The open tables are not replaced under the running program.
        reply = r.job({"--restore", book});
        QVERIFY(reply.has_value());
        QCOMPARE(reply->exitCode, 1);
        QVERIFY(app.phoneBookTable.isOpen());
        QCOMPARE(app.phoneBookTable.recordCount(), 1);
    }

    void socketOwnership() {
        Running r;
        // A crashed run's socket does not block the next run.
        QVERIFY(leaveStaleSocket(r.name));
        QVERIFY(!InstanceChannel::ask(r.name, {}).has_value());
        QVERIFY(r.instance->listen(r.name));
        // A live one does: the second program must hand over instead.
        InstanceChannel other;
        QVERIFY(
            !other.listen(r.name, [](const InstanceRequest&, const InstanceChannel::Answer&) {}));
        const std::optional<InstanceReply> reply = r.ask({});
        QVERIFY(reply.has_value());
        QCOMPARE(reply->exitCode, 0);
    }

    // "show" brings back the window in use, or the menu when none shows.
    void showBringsTheWindowInUseBack() {
        Running r;
        QVERIFY(r.instance->listen(r.name));
        Application& app = *r.sim.t.app;
        app.nav().openPhoneBook();
        PhoneBookWindow* phoneBook = app.windows.phoneBook;
        QVERIFY(phoneBook->isVisible());
        phoneBook->setWindowState(Qt::WindowMinimized);
        QVERIFY(r.ask({}).has_value());
        QVERIFY(phoneBook->isVisible());
        QVERIFY(!phoneBook->isMinimized());
        QTRY_COMPARE(QApplication::activeWindow(), phoneBook);

        phoneBook->hide();
        app.windows.mainMenu->hide();
        QVERIFY(r.ask({}).has_value());
        QVERIFY(app.windows.mainMenu->isVisible());
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "singleinstance_test.moc"
