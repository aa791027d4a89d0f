#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "link/serialdevice.h"
#include "link/serialerror.h"

namespace comm {

class SerialWatcher;

enum SerialDataBits { Data4, Data5, Data6, Data7, Data8 };
enum SerialParity { NoParity, OddParity, EvenParity, MarkParity, SpaceParity };
enum SerialStopBits { OneStop, OneAndHalfStop, TwoStop };
enum SerialFlowControl { DtrDsrFlow, RtsCtsFlow, XonXoffFlow };
enum SerialEvent {
    RxCharEvent,
    RxFlagEvent,
    TxEmptyEvent,
    CtsEvent,
    DsrEvent,
    RlsdEvent,
    BreakEvent,
    ErrorEvent,
    RingEvent,
    ParityErrorEvent
};

// A set of enumeration values, bit n standing for the value with ordinal n.
template <typename E, typename Bits>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E item : items) {
            bits_ = static_cast<Bits>(bits_ | (Bits{1} << item));
        }
    }
    static constexpr EnumSet fromBits(Bits bits) {
        EnumSet set;
        set.bits_ = bits;
        return set;
    }
    constexpr bool contains(E item) const { return (bits_ >> item) & 1; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr Bits bits() const { return bits_; }
    friend constexpr bool operator==(EnumSet a, EnumSet b) { return a.bits_ == b.bits_; }

private:
    Bits bits_ = 0;
};

using SerialFlowControls = EnumSet<SerialFlowControl, uint8_t>;
using SerialEventMask = EnumSet<SerialEvent, uint16_t>;

class SerialPort;
using SerialEventHandler = std::function<void(SerialPort& port, SerialEventMask events)>;
using SerialCountHandler = std::function<void(SerialPort& port, uint16_t count)>;

// The serial port: owns one port, applies the line settings, moves bytes and reports
// port events. Every call and every handler runs on the thread that owns it; the device's watch
// thread only reports that something happened.
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
    int32_t baudRate() const { return baudRate_; }
    void setBaudRate(int32_t rate);
    int32_t baudRateUserDefined() const { return baudRateUserDefined_; }
    void setBaudRateUserDefined(int32_t rate) { baudRateUserDefined_ = rate; }
    SerialParity parityBits() const { return parityBits_; }
    void setParityBits(SerialParity parity);
    SerialDataBits byteSize() const { return byteSize_; }
    void setByteSize(SerialDataBits size);
    SerialStopBits stopBits() const { return stopBits_; }
    void setStopBits(SerialStopBits stopBits);
    SerialFlowControls flowControls() const { return flowControls_; }
    void setFlowControls(SerialFlowControls flowControls);
    uint16_t inQueueSize() const { return inQueueSize_; }
    void setInQueueSize(uint16_t size) { inQueueSize_ = size; }
    uint16_t outQueueSize() const { return outQueueSize_; }
    void setOutQueueSize(uint16_t size) { outQueueSize_ = size; }
    int32_t receiveNotifySize() const { return receiveNotifySize_; }
    void setReceiveNotifySize(int32_t size);
    int32_t sendNotifySize() const { return sendNotifySize_; }
    void setSendNotifySize(int32_t size);
    SerialEventMask eventMask() const { return eventMask_; }
    void setEventMask(SerialEventMask mask);
    bool dsrState() const;

    SerialEventHandler onEvent;
    SerialCountHandler onReceive;
    SerialCountHandler onTransmit;
    // Where an error escaping a handler is shown; the watching goes on.
    std::function<void(const QString& message)> onHandlerError;
    // The line hung up or the device went away while open; nothing more will arrive. The port
    // stays open until Close.
    std::function<void()> onDeviceGone;

protected:
    virtual void raiseEvent(uint32_t eventFlags);
    virtual void raiseReceive();
    virtual void raiseTransmit();

private:
    friend class SerialWatcher;
    enum class Field { Speed, DataBits, Parity, StopBitCount, Handshake, XoffLimit, XonLimit };
    void applyField(Field field);
    void applyEventMask();
    void handleEvents(uint32_t eventFlags);

    comm::SerialDeviceFactory& devices_;
    std::unique_ptr<comm::SerialDevice> handle_;
    bool openDenied_ = false;
    std::unique_ptr<SerialWatcher> watch_;

    uint8_t port_ = 1;
    int32_t baudRate_ = 9600;
    int32_t baudRateUserDefined_ = 9600;
    SerialParity parityBits_ = NoParity;
    SerialDataBits byteSize_ = Data8;
    SerialStopBits stopBits_ = OneStop;
    SerialFlowControls flowControls_{RtsCtsFlow};
    uint16_t inQueueSize_ = 4096;
    uint16_t outQueueSize_ = 4096;
    int32_t receiveNotifySize_ = 3072;
    int32_t sendNotifySize_ = 1024;
    SerialEventMask eventMask_;
};

}  // namespace comm
