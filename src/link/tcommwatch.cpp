#include "link/tcommwatch.h"

#include "link/serialdevice.h"
#include "link/tcomm.h"

TCommWatch::TCommWatch(comm::SerialDevice& device, TComm& owner) : device_(device), owner_(owner) {}

TCommWatch::~TCommWatch() {
    stop();
}

void TCommWatch::start() {
    device_.setEventMask(device_.eventMask() | comm::commevent::RxChar);
    watching_ = true;
    device_.startWatch([this](uint32_t events) { report(events); });
}

void TCommWatch::stop() {
    if (watching_) {
        device_.stopWatch();
        watching_ = false;
    }
}

// Runs on the device's thread. Events gather until the owner's thread takes them, so a flood
// of arrivals posts one call at a time, and a call still queued when the watch goes is dropped
// with it.
void TCommWatch::report(uint32_t events) {
    if (events != 0 && pending_.fetch_or(events) == 0) {
        QMetaObject::invokeMethod(this, "dispatch", Qt::AutoConnection);
    }
}

void TCommWatch::dispatch() {
    const uint32_t events = pending_.exchange(0);
    if (events != 0) {
        owner_.handleEvents(events);
    }
}
