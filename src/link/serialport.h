#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "link/serialdevice.h"
#include "link/serialerror.h"

namespace comm {

class SerialWatcher;
class SerialPort;
using SerialCountHandler = std::function<void(SerialPort& port, uint16_t count)>;

// The serial port: owns one port on the adapter's line, moves bytes and reports what arrives.
// Every call and every handler runs on the thread that owns it; the device's watch thread only
// reports that something happened.
class SerialPort {
public:
    explicit SerialPort(comm::SerialDeviceFactory& devices);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void open();
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    // The last open failed because the user may not use the device.
    bool openDenied() const { return openDenied_; }
    void write(const char* buffer, int32_t count);
    void read(char* buffer, int32_t count);
    void writeText(const QByteArray& text);

    uint8_t port() const { return port_; }
    void setPort(uint8_t port) { port_ = port; }

    // The bytes waiting, after each arrival.
    SerialCountHandler onReceive;
    // Where an error escaping a handler is shown; the watching goes on.
    std::function<void(const QString& message)> onHandlerError;
    // The line hung up or the device went away while open; nothing more will arrive. The port
    // stays open until Close.
    std::function<void()> onDeviceGone;

private:
    friend class SerialWatcher;
    void handleEvents(uint32_t events);
    void raiseReceive();

    comm::SerialDeviceFactory& devices_;
    std::unique_ptr<comm::SerialDevice> handle_;
    bool openDenied_ = false;
    std::unique_ptr<SerialWatcher> watch_;
    uint8_t port_ = 1;
};

}  // namespace comm
