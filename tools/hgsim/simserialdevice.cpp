#include "hgsim/simserialdevice.h"

#include <algorithm>

namespace hgsim {

void SimLine::send(int64_t ms, QByteArray bytes) {
    std::weak_ptr<SimLine> weak = weak_from_this();
    clock.schedule(ms, [weak, bytes = std::move(bytes), sentBefore = cuts] {
        auto line = weak.lock();
        if (line && line->cuts == sentBefore) {
            line->arrive(bytes);
        }
    });
}

void SimLine::cut(bool hangUp) {
    ++cuts;
    busyUntil = 0;
    if (hangUp && watch) {
        auto report = std::move(watch);
        watch = nullptr;
        report(comm::deviceevent::LineGone);
    }
}

void SimLine::arrive(const QByteArray& bytes) {
    if (!open) {
        return;
    }
    inQueue.insert(inQueue.end(), bytes.begin(), bytes.end());
    if (watch) {
        // A copy, because the handler may close the port and so drop the watch.
        const auto report = watch;
        report(comm::deviceevent::Received);
    }
}

SimSerialDevice::SimSerialDevice(std::shared_ptr<SimLine> line, int port)
    : line_(std::move(line)), port_(port) {}

SimSerialDevice::~SimSerialDevice() {
    close();
}

// Any line settings pass: the simulated line carries bytes, not signals.
bool SimSerialDevice::open(int port, const comm::LineSettings& /*line*/) {
    requested_ = port;
    if (port != port_ || line_->open || line_->held || line_->denied) {
        return false;
    }
    line_->open = true;
    line_->inQueue.clear();
    ++line_->opens;
    opened_ = true;
    return true;
}

void SimSerialDevice::close() {
    if (opened_) {
        stopWatch();
        line_->open = false;
        line_->inQueue.clear();
        opened_ = false;
    }
}

bool SimSerialDevice::purge() {
    line_->inQueue.clear();
    return true;
}

int SimSerialDevice::read(char* buffer, int count) {
    const int n = std::min(count, static_cast<int>(line_->inQueue.size()));
    std::copy_n(line_->inQueue.begin(), n, buffer);
    line_->inQueue.erase(line_->inQueue.begin(), line_->inQueue.begin() + n);
    return n;
}

// The adapter answers one command after another: a reply starts when the previous one is out.
int SimSerialDevice::write(const char* buffer, int count) {
    const QByteArray bytes(buffer, count);
    line_->written.append(bytes);
    int64_t at = std::max(line_->clock.now(), line_->busyUntil);
    for (const Burst& burst : line_->adapter.receive(bytes)) {
        at += burst.delayMs;
        line_->send(at - line_->clock.now(), burst.bytes);
    }
    line_->busyUntil = at;
    return count;
}

void SimSerialDevice::startWatch(std::function<void(uint32_t)> onEvent) {
    line_->watch = std::move(onEvent);
}

void SimSerialDevice::stopWatch() {
    line_->watch = nullptr;
}

std::unique_ptr<comm::SerialDevice> SimSerialDeviceFactory::create() {
    return std::make_unique<SimSerialDevice>(line, port_);
}

}  // namespace hgsim
