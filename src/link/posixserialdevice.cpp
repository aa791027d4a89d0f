#include "link/posixserialdevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

namespace comm {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

// The input queue the port keeps, as a driver's requested input queue size.
constexpr size_t QueueCapacity = 4096;
// How long a read or a write waits for its bytes.
constexpr int TransferLimitMs = 1000;

std::optional<speed_t> speedFor(int32_t rate) {
    switch (rate) {
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return std::nullopt;
    }
}

std::optional<tcflag_t> sizeFlag(int bits) {
    switch (bits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return std::nullopt;
    }
}

// Raw bytes, no modem hang-up, and a read that waits for one byte so that a non-blocking read
// tells "nothing yet" (EAGAIN) apart from "line gone" (0); false for a line no terminal has.
bool describeLine(termios& t, const LineSettings& line) {
    const std::optional<speed_t> speed = speedFor(line.baudRate);
    const std::optional<tcflag_t> size = sizeFlag(line.dataBits);
    if (!speed || !size) {
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, *speed) != 0 || cfsetospeed(&t, *speed) != 0) {
        return false;
    }
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= *size;
    if (line.parity != Parity::None) {
        t.c_cflag |= PARENB | (line.parity == Parity::Odd ? PARODD : 0);
    }
    if (line.stopBits == StopBits::Two) {
        t.c_cflag |= CSTOPB;
    }
    if (line.rtsCtsHandshake) {
        t.c_cflag |= CRTSCTS;
    }
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    return true;
}

// tcsetattr succeeds when any part of the change was made (a pseudo-terminal keeps its data
// bits), so the settings that shape the bytes on the wire are read back. The handshake is not:
// a driver without one still moves the same bytes.
bool lineTaken(int fd, const termios& wanted) {
    termios got{};
    constexpr tcflag_t Framing = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    return ::tcgetattr(fd, &got) == 0 && cfgetospeed(&got) == cfgetospeed(&wanted) &&
           (got.c_cflag & Framing) == (wanted.c_cflag & Framing);
}

// Claims the terminal on fd for the line: only a terminal that is free, takes the settings and
// raises DTR is a port. A regular file would take the commands and a null device would answer
// nothing, both as if an adapter were there.
bool claimLine(int fd, const LineSettings& line) {
    struct stat entry {};
    termios t{};
    if (::fstat(fd, &entry) != 0 || !S_ISCHR(entry.st_mode) || ::tcgetattr(fd, &t) != 0) {
        return false;
    }
    // TIOCEXCL does not stop a privileged process, so the lock is what refuses a held port.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    if (!describeLine(t, line) || ::tcsetattr(fd, TCSANOW, &t) != 0 || !lineTaken(fd, t)) {
        return false;
    }
    // A line without modem control, as a pseudo-terminal, has no DTR to raise.
    int dtr = TIOCM_DTR;
    return ::ioctl(fd, TIOCMBIS, &dtr) == 0 || errno == ENOTTY || errno == EINVAL;
}

}  // namespace

PosixSerialDevice::PosixSerialDevice(QString folder, SavedDeviceLookup savedDevice)
    : folder_(std::move(folder)), savedDevice_(std::move(savedDevice)) {}

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

QString PosixSerialDevice::pathFor(const QString& folder, int port, const QString& savedDevice) {
    const QString link = QDir(folder).filePath(QStringLiteral("COM%1").arg(port));
    const QFileInfo entry(link);
    if (entry.exists() || entry.isSymLink()) {
        return link;
    }
    if (!savedDevice.isEmpty()) {
        return savedDevice;
    }
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

bool PosixSerialDevice::open(int port, const LineSettings& line) {
    close();
    const QString saved = savedDevice_ ? savedDevice_(port) : QString();
    const QByteArray path = QFile::encodeName(pathFor(folder_, port, saved));
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    permissionDenied_ = fd < 0 && errno == EACCES;
    if (fd < 0) {
        return false;
    }
    const int wakeFd = claimLine(fd, line) ? ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
    // Marked exclusive last, because the mark outlives the descriptor (see close): a refused
    // open leaves neither the mark nor, with the descriptor closed, the lock.
    if (wakeFd < 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        if (wakeFd >= 0) {
            ::close(wakeFd);
        }
        ::close(fd);
        return false;
    }
    fd_ = fd;
    wakeFd_ = wakeFd;
    std::lock_guard lock(mutex_);
    hungUp_ = false;
    queue_.clear();
    return true;
}

// What fails here has nothing left to report: the port is let go all the same.
void PosixSerialDevice::close() {
    stopWatch();
    if (fd_ >= 0) {
        int dtr = TIOCM_DTR;
        ::ioctl(fd_, TIOCMBIC, &dtr);
        waitForOutput();
        ::tcflush(fd_, TCIOFLUSH);
        // The exclusive mark outlives this descriptor while another one (the far side's
        // helper) keeps the terminal alive, and would refuse our own next open.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    std::lock_guard lock(mutex_);
    queue_.clear();
}

// A command written just before the port closes (the dial pad's hang-up) must still reach the
// line, so the few bytes queued get the moment they need before anything is discarded; a line
// held back by its handshake is not waited for long.
void PosixSerialDevice::waitForOutput() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    int pending = 0;
    while (::ioctl(fd_, TIOCOUTQ, &pending) == 0 && pending > 0 &&
           std::chrono::steady_clock::now() < deadline) {
        ::poll(nullptr, 0, 2);
    }
}

bool PosixSerialDevice::purge() {
    waitForOutput();
    const bool flushed = ::tcflush(fd_, TCIOFLUSH) == 0;
    std::lock_guard lock(mutex_);
    queue_.clear();
    if (throttled_) {
        wakeWatcher();
    }
    return flushed;
}

int PosixSerialDevice::available() {
    std::lock_guard lock(mutex_);
    // While watched, only the watch fills the queue, so that every filling is reported.
    if (!watching_) {
        fillLocked();
    }
    return static_cast<int>(queue_.size());
}

// Moves what the terminal holds into the queue, up to its size; notes a line that is gone.
int PosixSerialDevice::fillLocked() {
    int added = 0;
    char chunk[4096];
    while (!hungUp_ && queue_.size() < QueueCapacity) {
        const size_t room = std::min(sizeof chunk, QueueCapacity - queue_.size());
        const ssize_t n = ::read(fd_, chunk, room);
        if (n > 0) {
            queue_.insert(queue_.end(), chunk, chunk + n);
            added += static_cast<int>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n == 0 || errno != EAGAIN) {
                hungUp_ = true;
            }
            break;
        }
    }
    if (added > 0) {
        arrived_.notify_all();
    }
    return added;
}

int PosixSerialDevice::takeLocked(char* buffer, int count) {
    const int n = std::min(count, static_cast<int>(queue_.size()));
    std::copy_n(queue_.begin(), n, buffer);
    queue_.erase(queue_.begin(), queue_.begin() + n);
    if (n > 0 && throttled_) {
        wakeWatcher();
    }
    return n;
}

int PosixSerialDevice::read(char* buffer, int count) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(TransferLimitMs);
    std::unique_lock lock(mutex_);
    int got = 0;
    for (;;) {
        got += takeLocked(buffer + got, count - got);
        if (got == count) {
            break;
        }
        if (!watching_ && fillLocked() > 0) {
            continue;
        }
        const int left = remainingMs(deadline);
        if (hungUp_ || left == 0) {
            break;
        }
        if (watching_) {
            arrived_.wait_until(lock, deadline);
        } else {
            lock.unlock();
            pollfd p{fd_, POLLIN, 0};
            ::poll(&p, 1, left);
            lock.lock();
        }
    }
    return got;
}

int PosixSerialDevice::write(const char* buffer, int count) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(TransferLimitMs);
    int sent = 0;
    while (sent < count) {
        const ssize_t n = ::write(fd_, buffer + sent, static_cast<size_t>(count - sent));
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return -1;
        }
        const int left = remainingMs(deadline);
        if (left == 0) {
            break;
        }
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, left);
    }
    return sent;
}

void PosixSerialDevice::wakeWatcher() const {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void PosixSerialDevice::startWatch(std::function<void(uint32_t)> onEvent) {
    stopWatch();
    onEvent_ = std::move(onEvent);
    {
        std::lock_guard lock(mutex_);
        watching_ = true;
        stopRequested_ = false;
    }
    thread_ = std::thread([this] { watchLoop(); });
}

void PosixSerialDevice::stopWatch() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
        wakeWatcher();
    }
    thread_.join();
    std::lock_guard lock(mutex_);
    watching_ = false;
}

void PosixSerialDevice::watchLoop() {
    for (;;) {
        pollfd fds[2] = {{fd_, 0, 0}, {wakeFd_, POLLIN, 0}};
        {
            std::lock_guard lock(mutex_);
            throttled_ = queue_.size() >= QueueCapacity;
            fds[0].events = throttled_ ? 0 : POLLIN;
        }
        // A watch that cannot wait any more ends as a line that is gone, not in silence.
        const bool failed = ::poll(fds, 2, -1) < 0 && errno != EINTR;
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
        }
        uint32_t events = 0;
        bool ended = false;
        {
            std::lock_guard lock(mutex_);
            if (stopRequested_) {
                break;
            }
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
                if (fillLocked() > 0) {
                    events = deviceevent::Received;
                }
                // A terminal that reports hang-up or an error keeps reporting it: stop
                // watching rather than spin on it.
                if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                    hungUp_ = true;
                }
            }
            ended = hungUp_ || failed;
            if (ended) {
                watching_ = false;
                arrived_.notify_all();
            }
        }
        if (events != 0) {
            onEvent_(events);
        }
        if (ended) {
            onEvent_(deviceevent::LineGone);
            break;
        }
    }
}

std::vector<SerialDeviceEntry> PosixSerialDeviceFactory::presentDevices() const {
    return listSerialDevices(devRoot_, answersAsTerminal);
}

QString PosixSerialDeviceFactory::pathFor(int port, const QString& chosenDevice) const {
    return PosixSerialDevice::pathFor(folder_, port, chosenDevice);
}

std::unique_ptr<SerialDevice> PosixSerialDeviceFactory::create() {
    return std::make_unique<PosixSerialDevice>(folder_, savedDevice_);
}

}  // namespace comm
