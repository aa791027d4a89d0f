#pragma once

#include "link/serialdevicelist.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace comm {

// Port events, one bit each; the same bits as the port's event mask.
namespace commevent {
constexpr uint32_t RxChar = 0x0001;
constexpr uint32_t RxFlag = 0x0002;
constexpr uint32_t TxEmpty = 0x0004;
constexpr uint32_t Cts = 0x0008;
constexpr uint32_t Dsr = 0x0010;
constexpr uint32_t Rlsd = 0x0020;
constexpr uint32_t Break = 0x0040;
constexpr uint32_t Err = 0x0080;
constexpr uint32_t Ring = 0x0100;
constexpr uint32_t Perr = 0x0200;
// Not an event the mask selects: the line hung up or the device went away.
constexpr uint32_t LineGone = 0x8000;
}  // namespace commevent

// Bits of the line settings' flag word.
namespace lineflag {
constexpr uint32_t Binary = 0x0001;
constexpr uint32_t Parity = 0x0002;
constexpr uint32_t OutxCtsFlow = 0x0004;
constexpr uint32_t OutxDsrFlow = 0x0008;
constexpr uint32_t DtrControlEnable = 0x0010;
constexpr uint32_t DtrControlHandshake = 0x0020;
constexpr uint32_t OutX = 0x0100;
constexpr uint32_t InX = 0x0200;
constexpr uint32_t RtsControlEnable = 0x1000;
constexpr uint32_t RtsControlHandshake = 0x2000;
}  // namespace lineflag

// Modem status bit of DSR.
constexpr uint32_t ModemDsrOn = 0x0020;

// The line settings record exchanged with the driver.
struct LineSettings {
    int32_t baudRate = 9600;
    uint32_t flags = lineflag::Binary;
    uint16_t xonLimit = 0;
    uint16_t xoffLimit = 0;
    uint8_t byteSize = 8;
    uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
    char xonChar = 0x11;
    char xoffChar = 0x13;
};

// Line error flags and the bytes waiting in each direction; reading it clears the error flags.
struct LineStatus {
    uint32_t errors = 0;
    int inQueue = 0;
    int outQueue = 0;
};

// One serial port as SerialPort sees it. All calls but the watch callback come from the
// thread that owns the SerialPort.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens COM<port> for exclusive use; false when it is missing or held by someone else.
    virtual bool open(int port) = 0;
    // After a failed open: the system refused the user access to the device, which joining the
    // device's group mends.
    virtual bool permissionDenied() const { return false; }
    virtual void close() = 0;

    virtual void setupQueues(int inSize, int outSize) = 0;
    // Aborts transfers in progress and empties both queues.
    virtual void purge() = 0;
    virtual void setTimeouts(int readMs, int writeMs) = 0;
    virtual LineSettings lineSettings() const = 0;
    virtual void setLineSettings(const LineSettings& settings) = 0;
    virtual void setDtr(bool on) = 0;
    virtual uint32_t modemStatus() = 0;
    virtual LineStatus lineStatus() = 0;

    // Take or send up to count bytes within the timeout; the number moved, or -1 on a failure.
    virtual int read(char* buffer, int count) = 0;
    virtual int write(const char* buffer, int count) = 0;

    // Replaces the events watched. A watch in progress is woken with an empty event set and
    // ends, as SerialPort::close relies on.
    virtual void setEventMask(uint32_t mask) = 0;
    virtual uint32_t eventMask() const = 0;

    // Reports the events of the mask to onEvent, from the device's own watch thread or, for a
    // device driven by the caller's clock, from the caller's thread. After reporting an empty
    // event set (mask replaced) or LineGone (line hung up) the watch reports nothing more.
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
