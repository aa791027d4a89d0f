#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <thread>

#include "adapter/devicelink.h"
#include "app/application.h"
#include "hgsim/ptyport.h"
#include "hgsim/simserialdevice.h"
#include "link/posixserialdevice.h"
#include "protocol/hgcommands.h"
#include "support/testapp.h"
#include "windows/dialpad.h"
#include "windows/optionswindow.h"
#include "windows/portmessagewindow.h"

namespace {

QByteArray pattern(int size, int seed = 0) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed) % 251 + 1);
    }
    return bytes;
}

// The device-link window with the real serial port on a pseudo-terminal linked as COM1.
struct PtyProgram {
    PtyProgram()
        : pty(tmp.path(), 1),
          ports(tmp.path()),
          app(ui::UiServices{clock, dialogs, help, wallClock}, ports,
              tmp.filePath(QStringLiteral("tilka")), tmp.path()) {
        app.createWindows();
    }

    QTemporaryDir tmp;
    hgsim::PtyPort pty;
    comm::PosixSerialDeviceFactory ports;
    ui::ManualClock clock;
    ScriptedDialogs dialogs;
    RecordingHelp help;
    FixedWallClock wallClock;
    Application app;
};

}  // namespace

// The command channel on the simulated adapter's line, driven by the test clock.
class Channel {
public:
    Channel() : adapter(hgsim::HgConfig{}, [this] { return wallClock.time; }) {
        tmp.setAutoRemove(true);
        factory = std::make_unique<hgsim::SimSerialDeviceFactory>(adapter, clock);
        app =
            std::make_unique<Application>(ui::UiServices{clock, dialogs, help, wallClock}, *factory,
                                          tmp.filePath(QStringLiteral("tilka")), tmp.path());
        app->createWindows();
    }

    adapter::DeviceLink& deviceLink() { return app->link; }
    appstate::ProgramState& state() { return app->state; }

    QTemporaryDir tmp;
    ui::ManualClock clock;
    ScriptedDialogs dialogs;
    RecordingHelp help;
    FixedWallClock wallClock;
    hgsim::HgAdapter adapter;
    std::unique_ptr<hgsim::SimSerialDeviceFactory> factory;
    std::unique_ptr<Application> app;
};

class CommandChannelTest : public QObject {
    Q_OBJECT

private slots:
    void receiveStoresAndWraps_data() {
        QTest::addColumn<int>("startIndex");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("endIndex");
        QTest::newRow("4001 bytes after a reset") << 0 << 4001 << 0;
        QTest::newRow("10 bytes at 3995") << 3995 << 10 << 4;
        QTest::newRow("a short reply") << 0 << 9 << 9;
    }

    void receiveStoresAndWraps() {
        QFETCH(int, startIndex);
        QFETCH(int, count);
        QFETCH(int, endIndex);
        Channel c;
        QVERIFY(c.deviceLink().openPort());
        c.factory->line->send(0, QByteArray(startIndex, '.'));
        c.clock.advance(0);
        const QByteArray bytes = pattern(count);
        c.factory->line->send(0, bytes);
        c.clock.advance(0);
        const adapter::ReceiveBuffer& received = c.deviceLink().received();
        QCOMPARE(received.count(), endIndex);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(received.bytes()[static_cast<size_t>((startIndex + i) % 4001)],
                     static_cast<uint8_t>(bytes[i]));
        }
        c.factory->line->send(0, QByteArray("Z"));
        c.clock.advance(0);
        QCOMPARE(received.bytes()[static_cast<size_t>(endIndex)], uint8_t{'Z'});
        QCOMPARE(received.count(), endIndex + 1);
        // What an earlier exchange left must not pass for the dial's reply.
        c.deviceLink().prepareDial(1, QStringLiteral("0312345678"));
        QCOMPARE(received.count(), 0);
    }

    void arrivalsPaceTheDialReplyCheck() {
        Channel c;
        const adapter::DialExchange& dial = c.app->link.dial();
        const ui::IntervalTimer& check = dial.replyCheckTimer();
        int fired = 0;
        QObject::connect(&dial, &adapter::DialExchange::checkingReply, [&] { ++fired; });
        QVERIFY(c.deviceLink().openPort());
        c.state().dialInProgress = true;
        for (int at : {0, 300, 600, 900}) {
            c.factory->line->send(at, QByteArray("AS"));
        }
        c.clock.advance(0);
        QCOMPARE(c.clock.dueTime(&check), int64_t{500});
        c.clock.advance(1399);
        QCOMPARE(fired, 0);
        QCOMPARE(c.clock.dueTime(&check), int64_t{1400});
        c.clock.advance(1);
        QCOMPARE(fired, 1);

        // Without a dial in progress an arrival only stops a pending check.
        c.factory->line->send(0, QByteArray("x"));
        c.clock.advance(0);
        QVERIFY(check.running());
        c.state().dialInProgress = false;
        c.factory->line->send(100, QByteArray("x"));
        c.clock.advance(100);
        QVERIFY(!check.running());
        c.clock.advance(1000);
        QCOMPARE(fired, 1);
    }

    void commandBytes_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("expected");
        appstate::ProgramState s{};
        s.settings.logModeTel1 = 3;
        s.settings.logModeTel2 = 1;
        QTest::newRow("1 model 0")
            << protocol::hg::logModeTel1Command(s.settings.adapterModel, s.settings.logModeTel1)
            << QByteArray("AT\\T1/9*03\r");
        QTest::newRow("2 model 0")
            << protocol::hg::logModeTel2Command(s.settings.adapterModel, s.settings.logModeTel2)
            << QByteArray("ATE0\\T2/9*01\r");
        s.settings.adapterModel = 1;
        s.settings.logModeTel1 = 2;
        QTest::newRow("1 model 1")
            << protocol::hg::logModeTel1Command(s.settings.adapterModel, s.settings.logModeTel1)
            << QByteArray("AT\\T1/1*42\r");
        QTest::newRow("2 model 1")
            << protocol::hg::logModeTel2Command(s.settings.adapterModel, s.settings.logModeTel2)
            << QByteArray("ATE0\\T2/1*41\r");
        QTest::newRow("3") << protocol::hg::logIdentifyCommand() << QByteArray("ATI\\I\r");
        QTest::newRow("4") << protocol::hg::clockRequestCommand() << QByteArray("AT\\L2G53\r");
        QTest::newRow("5 code 0") << protocol::hg::logRequestCommand(0) << QByteArray("AT\\L10\r");
        QTest::newRow("5 code 123")
            << protocol::hg::logRequestCommand(123) << QByteArray("AT\\L1123\r");
        QTest::newRow("6") << protocol::hg::logClearCommand() << QByteArray("AT\\L3\r");
        QTest::newRow("7") << protocol::hg::passwordSetCommand(45) << QByteArray("ATG53=45\\L3\r");
        QTest::newRow("8") << protocol::hg::chargeResetTel1Command() << QByteArray("ATN6=0\r");
        QTest::newRow("9") << protocol::hg::chargeResetTel2Command() << QByteArray("ATN7=0\r");
        QTest::newRow("10") << protocol::hg::chargeResetDigitalCommand() << QByteArray("ATN5=0\r");
        QTest::newRow("11") << protocol::hg::chargeReportCommand() << QByteArray("ATE0N\r");
        QTest::newRow("12") << protocol::hg::echoOffCommand() << QByteArray("ATE0\r");
        QTest::newRow("13") << protocol::hg::identifyCommand() << QByteArray("ATI\r");
        QTest::newRow("14") << protocol::hg::dialCommand(1, "0312345678")
                            << QByteArray("AT\\D1/0312345678\r");
        QTest::newRow("14 empty number")
            << protocol::hg::dialCommand(2, "") << QByteArray("AT\\D2/\r");
        QTest::newRow("15") << protocol::hg::hangUpCommand(2) << QByteArray("AT\\D2\r");
    }

    void commandBytes() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, expected);
        QCOMPARE(command, expected);
    }

    void errorInReceiveHandlerIsShownAndWatchGoesOn() {
        Channel c;
        comm::SerialPort comm(*c.factory);
        int calls = 0;
        QByteArray received;
        comm.onReceive = [&](comm::SerialPort& sender, uint16_t size) {
            ++calls;
            QByteArray bytes(size, '\0');
            sender.read(bytes.data(), size);
            received += bytes;
            throw comm::SerialError("handler failed");
        };
        QStringList errors;
        comm.onHandlerError = [&](const QString& message) { errors << message; };
        comm.open();
        c.factory->line->send(0, QByteArray("a"));
        c.factory->line->send(10, QByteArray("b"));
        c.clock.advance(10);
        QCOMPARE(calls, 2);
        QCOMPARE(errors, QStringList({"handler failed", "handler failed"}));
        QCOMPARE(received, QByteArray("ab"));
    }

    void portMessageLeadsToTheOptions() {
        Channel c;
        PortMessageWindow& form = *c.app->windows.portMessage;
        QCOMPARE(form.windowTitle(), QStringLiteral("確認"));
        QCOMPARE(form.helpContext(), 20);
        QCOMPARE(form.size(), QSize(301, 72));
        QCOMPARE(form.firstLine->text(),
                 QStringLiteral("この COMポートは既に使われているか利用できません。"));
        QCOMPARE(form.secondLine->text(), QStringLiteral("オプションで再度設定を行ってください。"));
        QCOMPARE(form.okButton->text(), QStringLiteral("ＯＫ"));
        form.show();
        QVERIFY(!form.thirdLine->isVisible());
        QTest::mouseClick(form.okButton, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QVERIFY(c.app->windows.options->isVisible());

        // A port the user may not use: the third line tells how to get the permission, on one
        // line that the window holds.
        adapter::DeviceLink& link = c.deviceLink();
        c.factory->line->denied = true;
        QVERIFY(!link.openPort());
        QVERIFY(link.portOpenDenied());
        form.show();
        QVERIFY(form.thirdLine->isVisible());
        QCOMPARE(form.thirdLine->text(),
                 QStringLiteral("ポートを使う権限がありません。dialout "
                                "グループに加わり、ログインし直してください。"));
        QVERIFY(form.rect().contains(form.thirdLine->geometry()));
        QVERIFY(form.thirdLine->width() >= form.thirdLine->sizeHint().width());
        QVERIFY(form.okButton->y() >= form.thirdLine->geometry().bottom());
        form.hide();

        // Any other failure leaves the window as it was.
        c.factory->line->denied = false;
        c.factory->line->held = true;
        QVERIFY(!link.openPort());
        QVERIFY(!link.portOpenDenied());
        form.show();
        QVERIFY(!form.thirdLine->isVisible());
        QCOMPARE(form.size(), QSize(301, 72));
    }

    void closePortLaterFollowsTheTimerRule() {
        TestApp t;
        hgsim::HgAdapter adapter(hgsim::HgConfig{}, [&] { return t.wallClock.time; });
        t.ports = std::make_unique<hgsim::SimSerialDeviceFactory>(adapter, t.clock);
        t.start();
        adapter::DeviceLink& link = t.app->link;
        QVERIFY(link.openPort());
        link.closePortLater(1000);
        t.clock.advance(600);
        link.closePortLater(1000);  // the same delay leaves the running count alone
        t.clock.advance(399);
        QVERIFY(link.portOpen());
        t.clock.advance(1);
        QVERIFY(!link.portOpen());
        QVERIFY(!link.portCloseTimer().running());

        QVERIFY(link.openPort());
        link.closePortLater(1000);
        t.clock.advance(600);
        link.closePortLater(500);  // another delay starts the count again
        t.clock.advance(499);
        QVERIFY(link.portOpen());
        t.clock.advance(1);
        QVERIFY(!link.portOpen());
    }

    // A flood at the rate the pseudo-terminal takes reaches RxBuffer whole and in order.
    void floodThroughTheReceiveHandler() {
        PtyProgram program;
        QVERIFY(program.pty.isValid());
        const hgsim::PtyPort& pty = program.pty;
        comm::SerialPort port(program.ports);
        port.setPort(1);
        adapter::ReceiveBuffer received;
        QByteArray collected;
        // Taken in parts smaller than the buffer, so that each can be read back before it wraps.
        port.onReceive = [&](comm::SerialPort& sender, uint16_t size) {
            for (uint16_t left = size; left > 0;) {
                const uint16_t part = std::min<uint16_t>(left, 2048);
                std::vector<uint8_t> chunk(part);
                sender.read(reinterpret_cast<char*>(chunk.data()), part);
                const int from = received.count();
                received.append(chunk);
                for (int i = 0; i < part; ++i) {
                    collected.append(static_cast<char>(
                        received.bytes()[(from + i) % adapter::ReceiveBuffer::Size]));
                }
                left -= part;
            }
        };
        port.open();
        const QByteArray flood = pattern(1 << 20, 3);
        std::atomic<bool> failed{false};
        std::thread writer([&] {
            qsizetype sent = 0;
            while (sent < flood.size()) {
                const ssize_t n = ::write(pty.master(), flood.constData() + sent,
                                          static_cast<size_t>(flood.size() - sent));
                if (n > 0) {
                    sent += n;
                    continue;
                }
                pollfd p{pty.master(), POLLOUT, 0};
                if (::poll(&p, 1, 5000) <= 0) {
                    failed = true;
                    return;
                }
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(collected.size() >= flood.size() || failed, 9000);
        writer.join();
        QVERIFY(!failed);
        QCOMPARE(collected.size(), flood.size());
        QVERIFY(collected == flood);
        port.close();
    }

    // The line of the program's port, read back from the terminal: a pseudo-terminal passes
    // bytes at any speed, so a wrong line would pass every other test.
    void programPortLine() {
        PtyProgram program;
        QVERIFY(program.pty.isValid());
        QVERIFY(program.app.link.openPort());
        // The master reads the settings of the program's side.
        termios t{};
        QCOMPARE(::tcgetattr(program.pty.master(), &t), 0);
        QCOMPARE(cfgetispeed(&t), speed_t{B19200});
        QCOMPARE(cfgetospeed(&t), speed_t{B19200});
        QCOMPARE(t.c_cflag & CSIZE, tcflag_t{CS8});
        // A pseudo-terminal keeps no parity bit, so parity cannot be read back.
        QCOMPARE(t.c_cflag & (CSTOPB | CRTSCTS | CLOCAL | CREAD),
                 tcflag_t{CRTSCTS | CLOCAL | CREAD});
        QCOMPARE(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), tcflag_t{0});
        QCOMPARE(t.c_oflag & OPOST, tcflag_t{0});
        QCOMPARE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t{0});
        QCOMPARE(int{t.c_cc[VMIN]}, 1);
        QCOMPARE(int{t.c_cc[VTIME]}, 0);
    }
};

QTEST_MAIN(CommandChannelTest)
#include "commandchannel_test.moc"
