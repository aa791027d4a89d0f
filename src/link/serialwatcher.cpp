#include "link/serialwatcher.h"

#include "link/serialdevice.h"
#include "link/serialport.h"

namespace comm {

SerialWatcher::SerialWatcher(comm::SerialDevice& device, SerialPort& owner)
    : device_(device), owner_(owner) {}

SerialWatcher::~SerialWatcher() {
    stop();
}

void SerialWatcher::start() {
    watching_ = true;
    device_.startWatch([this](uint32_t events) { report(events); });
}

void SerialWatcher::stop() {
    if (watching_) {
        device_.stopWatch();
        watching_ = false;
    }
}

// Runs on the device's thread. Events gather until the owner's thread takes them, so a flood
// of arrivals posts one call at a time, and a call still queued when the watch goes is dropped
// with it.
void SerialWatcher::report(uint32_t events) {
    if (events != 0 && pending_.fetch_or(events) == 0) {
        QMetaObject::invokeMethod(this, "dispatch", Qt::AutoConnection);
    }
}

void SerialWatcher::dispatch() {
    const uint32_t events = pending_.exchange(0);
    if (events != 0) {
        owner_.handleEvents(events);
    }
}

}  // namespace comm
