#include "link/serialport.h"

#include <algorithm>
#include <exception>

#include "link/serialwatcher.h"

namespace comm {

namespace {
// The largest block one write takes, as the driver's output queue.
constexpr int32_t WriteLimit = 4096;
// The code a failed transfer reports; the terminal keeps no error flags to give instead.
constexpr int32_t TransferErrorCode = 0;
}  // namespace

SerialPort::SerialPort(SerialDeviceFactory& devices) : devices_(devices) {}

SerialPort::~SerialPort() {
    close();
}

void SerialPort::open() {
    if (isOpen()) {
        return;
    }
    std::unique_ptr<SerialDevice> device = devices_.create();
    const bool opened = device && device->open(port_, LineSettings{});
    openDenied_ = !opened && device && device->permissionDenied();
    if (!opened || !device->purge()) {
        throw SerialOpenError(-1);
    }
    handle_ = std::move(device);
    watch_ = std::make_unique<SerialWatcher>(*handle_, *this);
    watch_->start();
}

void SerialPort::close() {
    if (!isOpen()) {
        return;
    }
    watch_.reset();
    handle_->close();
    handle_.reset();
}

void SerialPort::write(const char* buffer, int32_t count) {
    if (!isOpen()) {
        throw SerialError("通信が開始されていない。");
    }
    if (count > WriteLimit) {
        throw SerialError("送信データ長が長すぎる。");
    }
    if (count <= 0) {
        return;
    }
    if (handle_->write(buffer, count) < 0) {
        throw SerialReadWriteError(TransferErrorCode);
    }
}

void SerialPort::read(char* buffer, int32_t count) {
    if (!isOpen()) {
        throw SerialError("通信が開始されていない。");
    }
    if (count > 0 && handle_->read(buffer, count) < 0) {
        throw SerialReadWriteError(TransferErrorCode);
    }
}

void SerialPort::writeText(const QByteArray& text) {
    write(text.constData(), static_cast<int32_t>(text.size()));
}

void SerialPort::handleEvents(uint32_t events) {
    try {
        if (events & deviceevent::Received) {
            raiseReceive();
        }
        // After the last bytes, so that the owner has them when it hears the line is gone.
        if ((events & deviceevent::LineGone) && isOpen() && onDeviceGone) {
            onDeviceGone();
        }
    } catch (const std::exception& e) {
        if (onHandlerError) {
            onHandlerError(QString::fromUtf8(e.what()));
        }
    }
}

void SerialPort::raiseReceive() {
    if (!isOpen() || !onReceive) {
        return;
    }
    const int waiting = handle_->available();
    if (waiting > 0) {
        onReceive(*this, static_cast<uint16_t>(std::min(waiting, 0xFFFF)));
    }
}

}  // namespace comm
