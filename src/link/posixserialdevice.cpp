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

namespace comm {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

speed_t speedFor(int32_t rate) {
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
            return B0;
    }
}

tcflag_t sizeFlag(uint8_t bits) {
    switch (bits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

// Raw bytes, no modem hang-up, and a read that waits for one byte so that a non-blocking read
// tells "nothing yet" (EAGAIN) apart from "line gone" (0).
void makeRaw(termios& t) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
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

bool PosixSerialDevice::open(int port) {
    close();
    const QString saved = savedDevice_ ? savedDevice_(port) : QString();
    const QByteArray path = QFile::encodeName(pathFor(folder_, port, saved));
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    permissionDenied_ = fd < 0 && errno == EACCES;
    if (fd < 0) {
        return false;
    }
    // Only a terminal is a port: a regular file would take the commands and a null device
    // would answer nothing, both as if an adapter were there.
    struct stat entry {};
    termios t{};
    if (::fstat(fd, &entry) != 0 || !S_ISCHR(entry.st_mode) || ::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return false;
    }
    // TIOCEXCL does not stop a privileged process, so the lock is what refuses a held port.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);
    makeRaw(t);
    // A terminal that keeps its line editing would change the bytes: no port then.
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::lock_guard lock(mutex_);
    hungUp_ = false;
    mask_ = 0;
    queue_.clear();
    return true;
}

void PosixSerialDevice::close() {
    stopWatch();
    if (fd_ >= 0) {
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

void PosixSerialDevice::setupQueues(int inSize, int /*outSize*/) {
    std::lock_guard lock(mutex_);
    capacity_ = static_cast<size_t>(std::max(inSize, 1));
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

void PosixSerialDevice::purge() {
    waitForOutput();
    ::tcflush(fd_, TCIOFLUSH);
    std::lock_guard lock(mutex_);
    queue_.clear();
    if (throttled_) {
        wakeWatcher();
    }
}

void PosixSerialDevice::setTimeouts(int readMs, int writeMs) {
    readTimeoutMs_ = readMs;
    writeTimeoutMs_ = writeMs;
}

LineSettings PosixSerialDevice::lineSettings() const {
    return settings_;
}

// A setting the terminal refuses (a pseudo-terminal takes no parity) is left as it was, as a
// driver would.
void PosixSerialDevice::setLineSettings(const LineSettings& s) {
    settings_ = s;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        return;
    }
    makeRaw(t);
    if (const speed_t speed = speedFor(s.baudRate); speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    t.c_cflag = (t.c_cflag & ~CSIZE) | sizeFlag(s.byteSize);
    t.c_cflag &= ~(PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    switch (s.parity) {
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (s.stopBits != 0) {
        t.c_cflag |= CSTOPB;
    }
    if (s.flags & lineflag::OutxCtsFlow) {
        t.c_cflag |= CRTSCTS;
    }
    if (s.flags & lineflag::OutX) {
        t.c_iflag |= IXON;
    }
    if (s.flags & lineflag::InX) {
        t.c_iflag |= IXOFF;
    }
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    ::tcsetattr(fd_, TCSANOW, &t);
}

void PosixSerialDevice::setDtr(bool on) {
    int bits = TIOCM_DTR;
    ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);
}

uint32_t PosixSerialDevice::modemStatus() {
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) {
        return 0;
    }
    return ((bits & TIOCM_CTS) ? 0x10u : 0u) | ((bits & TIOCM_DSR) ? ModemDsrOn : 0u) |
           ((bits & TIOCM_RNG) ? 0x40u : 0u) | ((bits & TIOCM_CAR) ? 0x80u : 0u);
}

LineStatus PosixSerialDevice::lineStatus() {
    LineStatus status;
    int outQueue = 0;
    if (::ioctl(fd_, TIOCOUTQ, &outQueue) == 0) {
        status.outQueue = outQueue;
    }
    std::lock_guard lock(mutex_);
    // While watched, only the watch fills the queue, so that every filling is reported.
    if (!watching_) {
        fillLocked();
    }
    status.inQueue = static_cast<int>(queue_.size());
    return status;
}

// Moves what the terminal holds into the queue, up to its size; notes a line that is gone.
int PosixSerialDevice::fillLocked() {
    int added = 0;
    char chunk[4096];
    while (!hungUp_ && queue_.size() < capacity_) {
        const size_t room = std::min(sizeof chunk, capacity_ - queue_.size());
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
    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
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
    const auto deadline = Clock::now() + std::chrono::milliseconds(writeTimeoutMs_);
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

void PosixSerialDevice::setEventMask(uint32_t mask) {
    std::lock_guard lock(mutex_);
    mask_ = mask;
    if (watching_) {
        maskChanged_ = true;
        wakeWatcher();
    }
}

uint32_t PosixSerialDevice::eventMask() const {
    std::lock_guard lock(mutex_);
    return mask_;
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
        maskChanged_ = false;
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
            throttled_ = queue_.size() >= capacity_;
            fds[0].events = throttled_ ? 0 : POLLIN;
        }
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
        }
        uint32_t events = 0;
        bool ended = false;
        uint32_t last = 0;
        {
            std::lock_guard lock(mutex_);
            if (stopRequested_) {
                break;
            }
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
                if (fillLocked() > 0 && (mask_ & commevent::RxChar)) {
                    events = commevent::RxChar;
                }
                // A terminal that reports hang-up or an error keeps reporting it: stop
                // watching rather than spin on it.
                if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                    hungUp_ = true;
                }
            }
            ended = maskChanged_ || hungUp_;
            if (ended) {
                last = maskChanged_ ? 0 : commevent::LineGone;
                watching_ = false;
                arrived_.notify_all();
            }
        }
        if (events != 0) {
            onEvent_(events);
        }
        if (ended) {
            onEvent_(last);
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
