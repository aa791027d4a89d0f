#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "hgsim/ptyport.h"
#include "link/posixserialdevice.h"
#include "link/serialport.h"
#include "ptyhelpers.h"

namespace {

double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Another process holding the device, as another program using the port would.
class Holder {
public:
    explicit Holder(const QString& path) {
        const QByteArray file = QFile::encodeName(path);
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(release_) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(release_[1]);
            ::close(ready[0]);
            const int fd = ::open(file.constData(), O_RDWR | O_NOCTTY);
            const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
            [[maybe_unused]] ssize_t n = ::write(ready[1], &ok, 1);
            char byte;
            n = ::read(release_[0], &byte, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release_[0]);
        char ok = 0;
        held_ = ::read(ready[0], &ok, 1) == 1 && ok == 1;
        ::close(ready[0]);
    }
    ~Holder() { release(); }
    bool held() const { return held_; }
    void release() {
        if (pid_ > 0) {
            ::close(release_[1]);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int release_[2] = {-1, -1};
    bool held_ = false;
};

}  // namespace

Q_DECLARE_METATYPE(comm::LineSettings)

class SerialPortTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        pty_ = std::make_unique<hgsim::PtyPort>(folder_->path(), 1);
        QVERIFY(pty_->isValid());
        factory_ = std::make_unique<comm::PosixSerialDeviceFactory>(folder_->path());
        port_ = std::make_unique<comm::SerialPort>(*factory_);
        received_.clear();
        port_->onReceive = [this](comm::SerialPort& sender, uint16_t size) {
            QByteArray bytes(size, '\0');
            sender.read(bytes.data(), size);
            received_ += bytes;
        };
        gone_ = 0;
        port_->onDeviceGone = [this] { ++gone_; };
    }

    void cleanup() {
        port_.reset();
        pty_.reset();
        folder_.reset();
    }

    void defaults() {
        comm::SerialPort port(*factory_);
        QCOMPARE(port.port(), uint8_t{1});
        QVERIFY(!port.isOpen());
    }

    void openWriteReceiveClose() {
        port_->open();
        QVERIFY(port_->isOpen());
        port_->writeText("ATI\r");
        QCOMPARE(readFarSide(pty_->master(), 4), QByteArray("ATI\r"));
        QCOMPARE(::write(pty_->master(), "OK\r\n", 4), 4);
        QTRY_COMPARE(received_, QByteArray("OK\r\n"));
        port_->close();
        QVERIFY(!port_->isOpen());
        port_->close();
        QVERIFY(!port_->isOpen());
        // A close is not a device that went away.
        QCoreApplication::processEvents();
        QCOMPARE(gone_, 0);
    }

    void openTwiceKeepsOneThreadAndPort() {
        hgsim::PtyPort second(folder_->path(), 2);
        const int before = threadCount();
        port_->open();
        QCOMPARE(threadCount(), before + 1);
        port_->setPort(2);
        port_->open();
        QCOMPARE(threadCount(), before + 1);
        port_->writeText("one");
        QCOMPARE(readFarSide(pty_->master(), 3), QByteArray("one"));
        port_->close();
        QCOMPARE(threadCount(), before);
        port_->open();
        port_->writeText("two");
        QCOMPARE(readFarSide(second.master(), 3), QByteArray("two"));
        QCOMPARE(::write(second.master(), "r2", 2), 2);
        QTRY_COMPARE(received_, QByteArray("r2"));
    }

    void unusablePortsRefuseToOpen_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("missing device") << "missing";
        QTest::newRow("held by another process") << "process";
        QTest::newRow("held by another SerialPort") << "port";
        QTest::newRow("regular file") << "file";
        QTest::newRow("null device") << "null";
    }

    void unusablePortsRefuseToOpen() {
        QFETCH(QString, how);
        std::unique_ptr<Holder> holder;
        comm::SerialPort other(*factory_);
        if (how == QLatin1String("missing")) {
            QVERIFY(QFile::link(folder_->filePath(QStringLiteral("gone")),
                                folder_->filePath(QStringLiteral("COM3"))));
            port_->setPort(3);
        } else if (how == QLatin1String("file") || how == QLatin1String("null")) {
            // Not terminals: one would take the commands, the other answer nothing.
            QString target = QStringLiteral("/dev/null");
            if (how == QLatin1String("file")) {
                target = folder_->filePath(QStringLiteral("plain"));
                QVERIFY(QFile(target).open(QIODevice::WriteOnly));
            }
            QVERIFY(QFile::link(target, folder_->filePath(QStringLiteral("COM3"))));
            port_->setPort(3);
        } else if (how == QLatin1String("process")) {
            holder = std::make_unique<Holder>(pty_->devicePath());
            QVERIFY(holder->held());
        } else {
            other.open();
        }
        try {
            port_->open();
            QFAIL("the port opened");
        } catch (const comm::SerialOpenError& e) {
            QCOMPARE(e.code, -1);
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("オープンエラー ErrorCode = -1"));
        }
        QVERIFY(!port_->isOpen());
        QCOMPARE(QFileInfo(folder_->filePath(QStringLiteral("plain"))).size(), 0);
        // Once the holder lets go, the same SerialPort opens it.
        if (how == QLatin1String("process") || how == QLatin1String("port")) {
            if (holder) {
                holder->release();
            }
            other.close();
            port_->open();
            QVERIFY(port_->isOpen());
        }
    }

    void writeLimits() {
        const auto message = [](const std::function<void()>& f) {
            try {
                f();
            } catch (const comm::SerialError& e) {
                return QString::fromUtf8(e.what());
            }
            return QString();
        };
        QCOMPARE(message([&] { port_->write("x", 1); }),
                 QStringLiteral("通信が開始されていない。"));
        QCOMPARE(message([&] { port_->writeText(""); }),
                 QStringLiteral("通信が開始されていない。"));
        char buffer[4];
        QCOMPARE(message([&] { port_->read(buffer, 1); }),
                 QStringLiteral("通信が開始されていない。"));
        port_->open();
        const QByteArray big(4097, 'b');
        QCOMPARE(message([&] { port_->writeText(big); }),
                 QStringLiteral("送信データ長が長すぎる。"));
        port_->writeText("");
        QByteArray block(4096, '\0');
        for (int i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>('a' + i % 26);
        }
        port_->writeText(block);
        // Nothing of the refused block and nothing for the empty text comes before the block.
        QCOMPARE(readFarSide(pty_->master(), 4096), block);
    }

    // A terminal that refuses the line, outright or by keeping its own settings, is no port,
    // and the refused open leaves it neither locked nor marked exclusive.
    void refusedLineLeavesThePortFree_data() {
        QTest::addColumn<comm::LineSettings>("line");
        comm::LineSettings parity;
        parity.parity = comm::Parity::Even;
        QTest::newRow("parity the terminal refuses") << parity;
        comm::LineSettings sevenBits;
        sevenBits.dataBits = 7;
        QTest::newRow("data bits the terminal keeps") << sevenBits;
        comm::LineSettings rate;
        rate.baudRate = 12345;
        QTest::newRow("a rate no terminal has") << rate;
    }

    void refusedLineLeavesThePortFree() {
        QFETCH(comm::LineSettings, line);
        comm::PosixSerialDevice device(folder_->path());
        QVERIFY(!device.open(1, line));
        QVERIFY(!device.permissionDenied());
        const QByteArray path = QFile::encodeName(pty_->devicePath());
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        int exclusive = -1;
        QCOMPARE(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 0);
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        QVERIFY(!locked);
        QVERIFY(device.open(1, comm::LineSettings{}));
        device.close();
    }

    void farSideVanishing() {
        port_->open();
        const int watching = threadCount();
        QCOMPARE(::write(pty_->master(), "last", 4), 4);
        QTRY_COMPARE(received_, QByteArray("last"));
        pty_->closeMaster();
        // The watch stops instead of spinning on the hang-up, and tells the owner once.
        QTRY_COMPARE(threadCount(), watching - 1);
        QTRY_COMPARE(gone_, 1);
        const double cpuBefore = processCpuSeconds();
        QTest::qWait(300);
        QVERIFY2(processCpuSeconds() - cpuBefore < 0.1, "busy after the hang-up");
        QVERIFY_THROWS_EXCEPTION(comm::SerialReadWriteError, port_->writeText("AT\r"));
        port_->close();
        QVERIFY(!port_->isOpen());
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<hgsim::PtyPort> pty_;
    std::unique_ptr<comm::PosixSerialDeviceFactory> factory_;
    std::unique_ptr<comm::SerialPort> port_;
    QByteArray received_;
    int gone_ = 0;
};

QTEST_GUILESS_MAIN(SerialPortTest)
#include "serialport_test.moc"
