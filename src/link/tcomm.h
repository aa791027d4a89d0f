#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "link/ecommerror.h"
#include "link/serialdevice.h"

class TCommWatch;

enum TCommByteSize { cbs4, cbs5, cbs6, cbs7, cbs8 };
enum TCommParityBits { cpbNone, cpbOdd, cpbEven, cpbMark, cpbSpace };
enum TCommStopBits { csb1, csb15, csb2 };
enum TCommFlowControl { cfcDtrDsr, cfcRtsCts, cfcXonXoff };
enum TCommEvents {
    evRxchar,
    evRxflag,
    evTxempty,
    evCts,
    evDsr,
    evRlsd,
    evBreak,
    evErr,
    evRing,
    evPerr
};

// A set of enumeration values, bit n standing for the value with ordinal n.
template <typename E, typename Bits>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> items) {
        for (E item : items) {
            bits_ = static_cast<Bits>(bits_ | (Bits{1} << item));
        }
    }
    static constexpr TEnumSet fromBits(Bits bits) {
        TEnumSet set;
        set.bits_ = bits;
        return set;
    }
    constexpr bool contains(E item) const { return (bits_ >> item) & 1; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr Bits bits() const { return bits_; }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.bits_ == b.bits_; }

private:
    Bits bits_ = 0;
};

using TCommFlowControls = TEnumSet<TCommFlowControl, uint8_t>;
using TCommEventMask = TEnumSet<TCommEvents, uint16_t>;

class TComm;
using TCommNotifyEvent = std::function<void(TComm& Sender, TCommEventMask EventMask)>;
using TCommNotifyRxTxEvent = std::function<void(TComm& Sender, uint16_t Size)>;

// The serial port component: owns one port, applies the line settings, moves bytes and reports
// port events. Every call and every handler runs on the thread that owns it; the device's watch
// thread only reports that something happened.
class TComm {
public:
    explicit TComm(comm::SerialDeviceFactory& devices);
    ~TComm();
    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    void Open();
    void Close();
    bool isOpen() const { return handle_ != nullptr; }
    void Write(const char* buffer, int32_t count);
    void Read(char* buffer, int32_t count);
    void WriteText(const QByteArray& text);

    uint8_t Port() const { return port_; }
    void setPort(uint8_t port) { port_ = port; }
    int32_t BaudRate() const { return baudRate_; }
    void setBaudRate(int32_t rate);
    int32_t BaudRateUserDefined() const { return baudRateUserDefined_; }
    void setBaudRateUserDefined(int32_t rate) { baudRateUserDefined_ = rate; }
    TCommParityBits ParityBits() const { return parityBits_; }
    void setParityBits(TCommParityBits parity);
    TCommByteSize ByteSize() const { return byteSize_; }
    void setByteSize(TCommByteSize size);
    TCommStopBits StopBits() const { return stopBits_; }
    void setStopBits(TCommStopBits stopBits);
    TCommFlowControls FlowControls() const { return flowControls_; }
    void setFlowControls(TCommFlowControls flowControls);
    uint16_t InQueueSize() const { return inQueueSize_; }
    void setInQueueSize(uint16_t size) { inQueueSize_ = size; }
    uint16_t OutQueueSize() const { return outQueueSize_; }
    void setOutQueueSize(uint16_t size) { outQueueSize_ = size; }
    int32_t ReceiveNotifySize() const { return receiveNotifySize_; }
    void setReceiveNotifySize(int32_t size);
    int32_t SendNotifySize() const { return sendNotifySize_; }
    void setSendNotifySize(int32_t size);
    TCommEventMask EventMask() const { return eventMask_; }
    void setEventMask(TCommEventMask mask);
    bool DsrState() const;

    TCommNotifyEvent OnCommEvent;
    TCommNotifyRxTxEvent OnCommReceive;
    TCommNotifyRxTxEvent OnCommTransmit;
    // Where an error escaping a handler is shown; the watching goes on.
    std::function<void(const QString& message)> OnHandlerError;
    // The line hung up or the device went away while open; nothing more will arrive. The port
    // stays open until Close.
    std::function<void()> OnDeviceGone;

protected:
    virtual void DoCommEvent(uint32_t eventFlags);
    virtual void DoCommReceive();
    virtual void DoCommTransmit();

private:
    friend class TCommWatch;
    enum class Field { BaudRate, ByteSize, Parity, StopBits, FlowControls, XoffLimit, XonLimit };
    void applyField(Field field);
    void applyEventMask();
    void handleEvents(uint32_t eventFlags);

    comm::SerialDeviceFactory& devices_;
    std::unique_ptr<comm::SerialDevice> handle_;
    std::unique_ptr<TCommWatch> watch_;

    uint8_t port_ = 1;
    int32_t baudRate_ = 9600;
    int32_t baudRateUserDefined_ = 9600;
    TCommParityBits parityBits_ = cpbNone;
    TCommByteSize byteSize_ = cbs8;
    TCommStopBits stopBits_ = csb1;
    TCommFlowControls flowControls_{cfcRtsCts};
    uint16_t inQueueSize_ = 4096;
    uint16_t outQueueSize_ = 4096;
    int32_t receiveNotifySize_ = 3072;
    int32_t sendNotifySize_ = 1024;
    TCommEventMask eventMask_;
};
