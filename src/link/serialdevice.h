#pragma once

#include "link/serialdevicelist.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace comm {

// What a watch reports, one bit each.
namespace deviceevent {
constexpr uint32_t Received = 0x0001;
// The line hung up or the device went away; nothing more will arrive.
constexpr uint32_t LineGone = 0x0002;
}  // namespace deviceevent

enum class Parity { None, Odd, Even };
enum class StopBits { One, Two };

// The line a port opens with; the defaults are the adapter's line.
struct LineSettings {
    int32_t baudRate = 19200;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    // The RTS/CTS handshake; XON/XOFF is never used.
    bool rtsCtsHandshake = true;
};

// One serial port as SerialPort sees it. All calls but the watch callback come from the
// thread that owns the SerialPort.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens COM<port> for exclusive use with the line settings and DTR raised; false when it is
    // missing, held by someone else or refuses the settings, and then nothing is left held.
    virtual bool open(int port, const LineSettings& line) = 0;
    // After a failed open: the system refused the user access to the device, which joining the
    // device's group mends.
    virtual bool permissionDenied() const { return false; }
    // Lowers DTR, lets the bytes still queued for sending go out, discards the rest and lets
    // the port go.
    virtual void close() = 0;

    // Aborts transfers in progress and empties both queues; false when the device refuses.
    virtual bool purge() = 0;
    // The bytes received and not yet read.
    virtual int available() = 0;
    // Take or send up to count bytes within a second; the number moved, or -1 on a failure.
    virtual int read(char* buffer, int count) = 0;
    virtual int write(const char* buffer, int count) = 0;

    // Reports deviceevent bits to onEvent, from the device's own watch thread or, for a device
    // driven by the caller's clock, from the caller's thread. After LineGone the watch reports
    // nothing more.
    virtual void startWatch(std::function<void(uint32_t events)> onEvent) = 0;
    // Returns only when onEvent is neither running nor will be called again.
    virtual void stopWatch() = 0;
};

// Makes the port device the serial port talks through: a POSIX terminal in the program, the
// simulated adapter in tests.
class SerialDeviceFactory {
public:
    virtual ~SerialDeviceFactory() = default;
    virtual std::unique_ptr<SerialDevice> create() = 0;
    // The serial devices present that a port can be set to reach; none where the ports are not
    // devices of the machine.
    virtual std::vector<SerialDeviceEntry> presentDevices() const { return {}; }
    // What COM<port> opens while chosenDevice is the user's choice for it; empty when the ports
    // are not devices of the machine.
    virtual QString pathFor(int /*port*/, const QString& /*chosenDevice*/) const { return {}; }
};

}  // namespace comm
