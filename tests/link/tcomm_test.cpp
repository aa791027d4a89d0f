#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "hgsim/ptyport.h"
#include "link/posixserialdevice.h"
#include "link/tcomm.h"
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

class TCommTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        pty_ = std::make_unique<hgsim::PtyPort>(folder_->path(), 1);
        QVERIFY(pty_->isValid());
        factory_ = std::make_unique<comm::PosixSerialDeviceFactory>(folder_->path());
        comm_ = std::make_unique<TComm>(*factory_);
        comm_->setBaudRate(19200);
        received_.clear();
        comm_->OnCommReceive = [this](TComm& sender, uint16_t size) {
            QByteArray bytes(size, '\0');
            sender.Read(bytes.data(), size);
            received_ += bytes;
        };
        gone_ = 0;
        comm_->OnDeviceGone = [this] { ++gone_; };
    }

    void cleanup() {
        comm_.reset();
        pty_.reset();
        folder_.reset();
    }

    void defaults() {
        TComm comm(*factory_);
        QCOMPARE(comm.Port(), uint8_t{1});
        QCOMPARE(comm.BaudRate(), 9600);
        QCOMPARE(comm.BaudRateUserDefined(), 9600);
        QCOMPARE(comm.ParityBits(), cpbNone);
        QCOMPARE(comm.ByteSize(), cbs8);
        QCOMPARE(comm.StopBits(), csb1);
        QVERIFY(comm.FlowControls() == TCommFlowControls{cfcRtsCts});
        QCOMPARE(comm.InQueueSize(), uint16_t{4096});
        QCOMPARE(comm.OutQueueSize(), uint16_t{4096});
        QCOMPARE(comm.ReceiveNotifySize(), 3072);
        QCOMPARE(comm.SendNotifySize(), 1024);
        QVERIFY(comm.EventMask().empty());
        QVERIFY(!comm.isOpen());
        QVERIFY(!comm.DsrState());
    }

    void openWriteReceiveClose() {
        comm_->Open();
        QVERIFY(comm_->isOpen());
        comm_->WriteText("ATI\r");
        QCOMPARE(readFarSide(pty_->master(), 4), QByteArray("ATI\r"));
        QCOMPARE(::write(pty_->master(), "OK\r\n", 4), 4);
        QTRY_COMPARE(received_, QByteArray("OK\r\n"));
        comm_->Close();
        QVERIFY(!comm_->isOpen());
        comm_->Close();
        QVERIFY(!comm_->isOpen());
    }

    void openTwiceKeepsOneThreadAndPort() {
        hgsim::PtyPort second(folder_->path(), 2);
        const int before = threadCount();
        comm_->Open();
        QCOMPARE(threadCount(), before + 1);
        comm_->setPort(2);
        comm_->Open();
        QCOMPARE(threadCount(), before + 1);
        comm_->WriteText("one");
        QCOMPARE(readFarSide(pty_->master(), 3), QByteArray("one"));
        comm_->Close();
        QCOMPARE(threadCount(), before);
        comm_->Open();
        comm_->WriteText("two");
        QCOMPARE(readFarSide(second.master(), 3), QByteArray("two"));
        QCOMPARE(::write(second.master(), "r2", 2), 2);
        QTRY_COMPARE(received_, QByteArray("r2"));
    }

    void unusablePortsRefuseToOpen_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("missing device") << "missing";
        QTest::newRow("held by another process") << "process";
        QTest::newRow("held by another component") << "component";
        QTest::newRow("regular file") << "file";
        QTest::newRow("null device") << "null";
    }

    void unusablePortsRefuseToOpen() {
        QFETCH(QString, how);
        std::unique_ptr<Holder> holder;
        TComm other(*factory_);
        if (how == QLatin1String("missing")) {
            QVERIFY(QFile::link(folder_->filePath(QStringLiteral("gone")),
                                folder_->filePath(QStringLiteral("COM3"))));
            comm_->setPort(3);
        } else if (how == QLatin1String("file") || how == QLatin1String("null")) {
            // Not terminals: one would take the commands, the other answer nothing.
            QString target = QStringLiteral("/dev/null");
            if (how == QLatin1String("file")) {
                target = folder_->filePath(QStringLiteral("plain"));
                QVERIFY(QFile(target).open(QIODevice::WriteOnly));
            }
            QVERIFY(QFile::link(target, folder_->filePath(QStringLiteral("COM3"))));
            comm_->setPort(3);
        } else if (how == QLatin1String("process")) {
            holder = std::make_unique<Holder>(pty_->devicePath());
            QVERIFY(holder->held());
        } else {
            other.Open();
        }
        try {
            comm_->Open();
            QFAIL("the port opened");
        } catch (const ECommOpenError& e) {
            QCOMPARE(e.ErrorCode, -1);
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("オープンエラー ErrorCode = -1"));
        }
        QVERIFY(!comm_->isOpen());
        QCOMPARE(QFileInfo(folder_->filePath(QStringLiteral("plain"))).size(), 0);
        // Once the holder lets go, the same component opens the port.
        if (how == QLatin1String("process") || how == QLatin1String("component")) {
            if (holder) {
                holder->release();
            }
            other.Close();
            comm_->Open();
            QVERIFY(comm_->isOpen());
        }
    }

    void writeLimits() {
        const auto message = [](const std::function<void()>& f) {
            try {
                f();
            } catch (const ECommError& e) {
                return QString::fromUtf8(e.what());
            }
            return QString();
        };
        QCOMPARE(message([&] { comm_->Write("x", 1); }),
                 QStringLiteral("通信が開始されていない。"));
        QCOMPARE(message([&] { comm_->WriteText(""); }),
                 QStringLiteral("通信が開始されていない。"));
        char buffer[4];
        QCOMPARE(message([&] { comm_->Read(buffer, 1); }),
                 QStringLiteral("通信が開始されていない。"));
        comm_->Open();
        const QByteArray big(4097, 'b');
        QCOMPARE(message([&] { comm_->WriteText(big); }),
                 QStringLiteral("送信データ長が長すぎる。"));
        comm_->WriteText("");
        QByteArray block(4096, '\0');
        for (int i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>('a' + i % 26);
        }
        comm_->WriteText(block);
        // Nothing of the refused block and nothing for the empty text comes before the block.
        QCOMPARE(readFarSide(pty_->master(), 4096), block);
    }

    void eventMaskWhileOpenStopsReceptionUntilReopened() {
        comm_->Open();
        const int watching = threadCount();
        comm_->setEventMask(TCommEventMask{evRxchar, evCts});
        // The watch ends; bytes that arrive now are not reported.
        QTRY_COMPARE(threadCount(), watching - 1);
        QCOMPARE(::write(pty_->master(), "lost", 4), 4);
        QCoreApplication::processEvents();
        QCOMPARE(received_, QByteArray());
        comm_->Close();
        comm_->Open();
        QCOMPARE(::write(pty_->master(), "back", 4), 4);
        QTRY_COMPARE(received_, QByteArray("back"));
        // Neither a changed mask nor a close is a device that went away.
        comm_->Close();
        QCoreApplication::processEvents();
        QCOMPARE(gone_, 0);
    }

    void farSideVanishing() {
        comm_->Open();
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
        QVERIFY_THROWS_EXCEPTION(ECommReadWriteError, comm_->WriteText("AT\r"));
        comm_->Close();
        QVERIFY(!comm_->isOpen());
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<hgsim::PtyPort> pty_;
    std::unique_ptr<comm::PosixSerialDeviceFactory> factory_;
    std::unique_ptr<TComm> comm_;
    QByteArray received_;
    int gone_ = 0;
};

QTEST_GUILESS_MAIN(TCommTest)
#include "tcomm_test.moc"
