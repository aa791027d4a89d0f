#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "link/serialdevice.h"

namespace comm {

// The device the user chose for COM<port>, empty when none.
using SavedDeviceLookup = std::function<QString(int port)>;

// A serial port as a POSIX terminal. A watch thread waits with poll() on the terminal and an
// eventfd, moves arriving bytes into a guarded input queue of 4 KB and reports reception; when
// the queue is full it stops reading, so the terminal's own flow control holds the sender back.
// The eventfd wakes it when the port closes and when room is made in a full queue.
class PosixSerialDevice : public SerialDevice {
public:
    explicit PosixSerialDevice(QString folder, SavedDeviceLookup savedDevice = {});
    ~PosixSerialDevice() override;

    // <folder>/COMn when that entry exists (usually a link to a device), else the saved device
    // when one was chosen, else /dev/ttyS<n-1>.
    static QString pathFor(const QString& folder, int port, const QString& savedDevice = QString());

    // After a failed open: the system refused access to the device.
    bool permissionDenied() const override { return permissionDenied_; }

    bool open(int port, const LineSettings& line) override;
    void close() override;
    bool purge() override;
    int available() override;
    int read(char* buffer, int count) override;
    int write(const char* buffer, int count) override;
    void startWatch(std::function<void(uint32_t events)> onEvent) override;
    void stopWatch() override;

private:
    void watchLoop();
    int fillLocked();
    int takeLocked(char* buffer, int count);
    void wakeWatcher() const;
    void waitForOutput() const;

    QString folder_;
    SavedDeviceLookup savedDevice_;
    bool permissionDenied_ = false;
    int fd_ = -1;
    int wakeFd_ = -1;
    std::function<void(uint32_t)> onEvent_;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<char> queue_;
    bool watching_ = false;
    bool stopRequested_ = false;
    bool throttled_ = false;
    bool hungUp_ = false;
};

class PosixSerialDeviceFactory : public SerialDeviceFactory {
public:
    // devRoot is where the devices are listed from: /dev, or a fake tree in tests.
    explicit PosixSerialDeviceFactory(QString folder, SavedDeviceLookup savedDevice = {},
                                      QString devRoot = QStringLiteral("/dev"))
        : folder_(std::move(folder)),
          savedDevice_(std::move(savedDevice)),
          devRoot_(std::move(devRoot)) {}
    std::unique_ptr<SerialDevice> create() override;
    std::vector<SerialDeviceEntry> presentDevices() const override;
    QString pathFor(int port, const QString& chosenDevice) const override;

private:
    QString folder_;
    SavedDeviceLookup savedDevice_;
    QString devRoot_;
};

}  // namespace comm
