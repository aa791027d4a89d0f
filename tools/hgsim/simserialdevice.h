#pragma once

#include <QByteArray>
#include <deque>
#include <functional>
#include <memory>

#include "hgsim/hgadapter.h"
#include "link/serialdevice.h"
#include "ui/manualclock.h"

namespace hgsim {

// The line between the program and one simulated adapter, on a hand-advanced clock: what the
// program writes reaches the adapter at once, and the adapter's bursts arrive when the clock
// reaches them, reported on the caller's thread.
struct SimLine : std::enable_shared_from_this<SimLine> {
    SimLine(HgAdapter& adapter, ui::ManualClock& clock) : adapter(adapter), clock(clock) {}

    HgAdapter& adapter;
    ui::ManualClock& clock;
    bool open = false;
    // Another program holds the port: opening it fails.
    bool held = false;
    // The user may not use the device: opening it fails for want of permission.
    bool denied = false;
    int opens = 0;
    std::deque<char> inQueue;
    std::function<void(uint32_t)> watch;
    QByteArray written;
    int64_t busyUntil = 0;
    // Counts the cuts; bytes sent before the latest one are lost.
    int cuts = 0;

    // Bytes arriving from the adapter's side after ms; the adapter's own replies come this way.
    void send(int64_t ms, QByteArray bytes);
    void arrive(const QByteArray& bytes);
    // The line is cut: bytes still on their way are lost. With hangUp the terminal reports the
    // hang-up to the program's watch, as a real one does; without it the adapter just goes quiet.
    void cut(bool hangUp);
};

class SimSerialDevice : public comm::SerialDevice {
public:
    SimSerialDevice(std::shared_ptr<SimLine> line, int port);
    ~SimSerialDevice() override;

    bool open(int port, const comm::LineSettings& line) override;
    bool permissionDenied() const override { return port_ == requested_ && line_->denied; }
    void close() override;
    bool purge() override;
    int available() override { return static_cast<int>(line_->inQueue.size()); }
    int read(char* buffer, int count) override;
    int write(const char* buffer, int count) override;
    void startWatch(std::function<void(uint32_t events)> onEvent) override;
    void stopWatch() override;

private:
    std::shared_ptr<SimLine> line_;
    int port_;
    int requested_ = 0;
    bool opened_ = false;
};

// Gives the program the simulated adapter as COM<port>; any other port is missing.
class SimSerialDeviceFactory : public comm::SerialDeviceFactory {
public:
    SimSerialDeviceFactory(HgAdapter& adapter, ui::ManualClock& clock, int port = 1)
        : line(std::make_shared<SimLine>(adapter, clock)), port_(port) {}
    std::unique_ptr<comm::SerialDevice> create() override;

    std::shared_ptr<SimLine> line;

private:
    int port_;
};

}  // namespace hgsim
