#include "link/serialport.h"

#include <algorithm>
#include <exception>

#include "link/serialwatcher.h"

namespace comm {

using namespace comm;

namespace {
constexpr int TransferLimitMs = 1000;
// Flag word bits that the flow control setting owns: 2 to 13, and the reserved 16 to 21 and 24.
constexpr uint32_t FlowControlBits = 0x00003FFC | 0x003F0000 | 0x01000000;
constexpr uint32_t ReportedEvents = commevent::RxFlag | commevent::Cts | commevent::Dsr |
                                    commevent::Rlsd | commevent::Break | commevent::Err |
                                    commevent::Ring;
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
    const bool opened = device && device->open(port_);
    openDenied_ = !opened && device && device->permissionDenied();
    if (!opened) {
        throw SerialOpenError(-1);
    }
    handle_ = std::move(device);
    handle_->setupQueues(inQueueSize_, outQueueSize_);
    handle_->purge();
    handle_->setTimeouts(TransferLimitMs, TransferLimitMs);
    for (Field field : {Field::Speed, Field::DataBits, Field::Parity, Field::StopBitCount,
                        Field::Handshake, Field::XoffLimit, Field::XonLimit}) {
        applyField(field);
    }
    applyEventMask();
    watch_ = std::make_unique<SerialWatcher>(*handle_, *this);
    watch_->start();
    handle_->setDtr(true);
}

void SerialPort::close() {
    if (!isOpen()) {
        return;
    }
    handle_->setEventMask(0);
    watch_.reset();
    handle_->setDtr(false);
    handle_->purge();
    handle_->close();
    handle_.reset();
}

void SerialPort::write(const char* buffer, int32_t count) {
    if (!isOpen()) {
        throw SerialError("通信が開始されていない。");
    }
    if (count > outQueueSize_) {
        throw SerialError("送信データ長が長すぎる。");
    }
    if (count <= 0) {
        return;
    }
    if (handle_->write(buffer, count) < 0) {
        throw SerialReadWriteError(static_cast<int32_t>(handle_->lineStatus().errors));
    }
}

void SerialPort::read(char* buffer, int32_t count) {
    if (!isOpen()) {
        throw SerialError("通信が開始されていない。");
    }
    handle_->lineStatus();
    if (count > 0 && handle_->read(buffer, count) < 0) {
        throw SerialReadWriteError(static_cast<int32_t>(handle_->lineStatus().errors));
    }
}

void SerialPort::writeText(const QByteArray& text) {
    write(text.constData(), static_cast<int32_t>(text.size()));
}

void SerialPort::setBaudRate(int32_t rate) {
    baudRate_ = rate;
    applyField(Field::Speed);
}

void SerialPort::setParityBits(SerialParity parity) {
    parityBits_ = parity;
    applyField(Field::Parity);
}

void SerialPort::setByteSize(SerialDataBits size) {
    byteSize_ = size;
    applyField(Field::DataBits);
}

void SerialPort::setStopBits(SerialStopBits stopBits) {
    stopBits_ = stopBits;
    applyField(Field::StopBitCount);
}

void SerialPort::setFlowControls(SerialFlowControls flowControls) {
    flowControls_ = flowControls;
    applyField(Field::Handshake);
}

void SerialPort::setReceiveNotifySize(int32_t size) {
    receiveNotifySize_ = size;
    applyField(Field::XoffLimit);
}

void SerialPort::setSendNotifySize(int32_t size) {
    sendNotifySize_ = size;
    applyField(Field::XonLimit);
}

void SerialPort::setEventMask(SerialEventMask mask) {
    eventMask_ = mask;
    applyEventMask();
}

bool SerialPort::dsrState() const {
    return isOpen() && (handle_->modemStatus() & ModemDsrOn) != 0;
}

// Reads the driver's record, changes the one field, writes it back.
void SerialPort::applyField(Field field) {
    if (!isOpen()) {
        return;
    }
    LineSettings s = handle_->lineSettings();
    switch (field) {
        case Field::Speed:
            s.baudRate = baudRate_ == -1 ? baudRateUserDefined_ : baudRate_;
            break;
        case Field::DataBits:
            s.byteSize = static_cast<uint8_t>(byteSize_ + 4);
            break;
        case Field::Parity:
            s.parity = static_cast<uint8_t>(parityBits_);
            break;
        case Field::StopBitCount:
            s.stopBits = static_cast<uint8_t>(stopBits_);
            break;
        case Field::XoffLimit:
            s.xoffLimit = static_cast<uint16_t>(inQueueSize_ - receiveNotifySize_);
            break;
        case Field::XonLimit:
            s.xonLimit = static_cast<uint16_t>(sendNotifySize_);
            break;
        case Field::Handshake:
            s.flags &= ~FlowControlBits;
            s.flags |= flowControls_.contains(RtsCtsFlow)
                           ? lineflag::RtsControlHandshake | lineflag::OutxCtsFlow
                           : lineflag::RtsControlEnable;
            s.flags |= flowControls_.contains(DtrDsrFlow)
                           ? lineflag::DtrControlHandshake | lineflag::OutxDsrFlow
                           : lineflag::DtrControlEnable;
            if (flowControls_.contains(XonXoffFlow)) {
                s.flags |= lineflag::OutX | lineflag::InX;
            }
            s.xonChar = 0x11;
            s.xoffChar = 0x13;
            s.flags |= lineflag::Binary | lineflag::Parity;
            break;
    }
    handle_->setLineSettings(s);
}

void SerialPort::applyEventMask() {
    if (isOpen()) {
        handle_->setEventMask(eventMask_.bits());
    }
}

void SerialPort::handleEvents(uint32_t eventFlags) {
    try {
        if (eventFlags & commevent::RxChar) {
            raiseReceive();
        } else if (eventFlags & commevent::TxEmpty) {
            raiseTransmit();
        } else if (eventFlags & ~commevent::LineGone) {
            raiseEvent(eventFlags);
        }
        // After the last bytes, so that the owner has them when it hears the line is gone.
        if ((eventFlags & commevent::LineGone) && isOpen() && onDeviceGone) {
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
    const int waiting = handle_->lineStatus().inQueue;
    if (waiting > 0) {
        onReceive(*this, static_cast<uint16_t>(std::min(waiting, 0xFFFF)));
    }
    if (isOpen()) {
        handle_->lineStatus();
    }
}

void SerialPort::raiseTransmit() {
    if (isOpen() && onTransmit) {
        onTransmit(*this, static_cast<uint16_t>(handle_->lineStatus().outQueue));
    }
}

void SerialPort::raiseEvent(uint32_t eventFlags) {
    if (isOpen() && onEvent) {
        onEvent(*this,
                SerialEventMask::fromBits(static_cast<uint16_t>(eventFlags & ReportedEvents)));
    }
}

}  // namespace comm
