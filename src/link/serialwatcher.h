#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

namespace comm {

class SerialDevice;
class SerialPort;

// Watches one open port: takes the device's event reports, from whatever thread the device
// reports on, and runs the port's handlers on the thread that owns it. Only
// the set of events crosses threads (an atomic); the bytes stay in the device's guarded queue.
class SerialWatcher : public QObject {
    Q_OBJECT
public:
    SerialWatcher(comm::SerialDevice& device, SerialPort& owner);
    ~SerialWatcher() override;

    // Starts watching.
    void start();
    // Returns when the device no longer reports to this watch.
    void stop();

private:
    Q_INVOKABLE void dispatch();
    void report(uint32_t events);

    comm::SerialDevice& device_;
    SerialPort& owner_;
    std::atomic<uint32_t> pending_{0};
    bool watching_ = false;
};

}  // namespace comm
