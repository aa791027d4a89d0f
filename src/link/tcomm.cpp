#include "link/tcomm.h"

#include <algorithm>
#include <exception>

#include "link/tcommwatch.h"

using namespace comm;

namespace {
constexpr int TransferLimitMs = 1000;
// Flag word bits that the flow control setting owns: 2 to 13, and the reserved 16 to 21 and 24.
constexpr uint32_t FlowControlBits = 0x00003FFC | 0x003F0000 | 0x01000000;
constexpr uint32_t ReportedEvents = commevent::RxFlag | commevent::Cts | commevent::Dsr |
                                    commevent::Rlsd | commevent::Break | commevent::Err |
                                    commevent::Ring;
}  // namespace

TComm::TComm(SerialDeviceFactory& devices) : devices_(devices) {}

TComm::~TComm() {
    Close();
}

void TComm::Open() {
    if (isOpen()) {
        return;
    }
    std::unique_ptr<SerialDevice> device = devices_.create();
    if (!device || !device->open(port_)) {
        throw ECommOpenError(-1);
    }
    handle_ = std::move(device);
    handle_->setupQueues(inQueueSize_, outQueueSize_);
    handle_->purge();
    handle_->setTimeouts(TransferLimitMs, TransferLimitMs);
    for (Field field : {Field::BaudRate, Field::ByteSize, Field::Parity, Field::StopBits,
                        Field::FlowControls, Field::XoffLimit, Field::XonLimit}) {
        applyField(field);
    }
    applyEventMask();
    watch_ = std::make_unique<TCommWatch>(*handle_, *this);
    watch_->start();
    handle_->setDtr(true);
}

void TComm::Close() {
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

void TComm::Write(const char* buffer, int32_t count) {
    if (!isOpen()) {
        throw ECommError("通信が開始されていない。");
    }
    if (count > outQueueSize_) {
        throw ECommError("送信データ長が長すぎる。");
    }
    if (count <= 0) {
        return;
    }
    if (handle_->write(buffer, count) < 0) {
        throw ECommReadWriteError(static_cast<int32_t>(handle_->lineStatus().errors));
    }
}

void TComm::Read(char* buffer, int32_t count) {
    if (!isOpen()) {
        throw ECommError("通信が開始されていない。");
    }
    handle_->lineStatus();
    if (count > 0 && handle_->read(buffer, count) < 0) {
        throw ECommReadWriteError(static_cast<int32_t>(handle_->lineStatus().errors));
    }
}

void TComm::WriteText(const QByteArray& text) {
    Write(text.constData(), static_cast<int32_t>(text.size()));
}

void TComm::setBaudRate(int32_t rate) {
    baudRate_ = rate;
    applyField(Field::BaudRate);
}

void TComm::setParityBits(TCommParityBits parity) {
    parityBits_ = parity;
    applyField(Field::Parity);
}

void TComm::setByteSize(TCommByteSize size) {
    byteSize_ = size;
    applyField(Field::ByteSize);
}

void TComm::setStopBits(TCommStopBits stopBits) {
    stopBits_ = stopBits;
    applyField(Field::StopBits);
}

void TComm::setFlowControls(TCommFlowControls flowControls) {
    flowControls_ = flowControls;
    applyField(Field::FlowControls);
}

void TComm::setReceiveNotifySize(int32_t size) {
    receiveNotifySize_ = size;
    applyField(Field::XoffLimit);
}

void TComm::setSendNotifySize(int32_t size) {
    sendNotifySize_ = size;
    applyField(Field::XonLimit);
}

void TComm::setEventMask(TCommEventMask mask) {
    eventMask_ = mask;
    applyEventMask();
}

bool TComm::DsrState() const {
    return isOpen() && (handle_->modemStatus() & ModemDsrOn) != 0;
}

// Reads the driver's record, changes the one field, writes it back.
void TComm::applyField(Field field) {
    if (!isOpen()) {
        return;
    }
    LineSettings s = handle_->lineSettings();
    switch (field) {
        case Field::BaudRate:
            s.baudRate = baudRate_ == -1 ? baudRateUserDefined_ : baudRate_;
            break;
        case Field::ByteSize:
            s.byteSize = static_cast<uint8_t>(byteSize_ + 4);
            break;
        case Field::Parity:
            s.parity = static_cast<uint8_t>(parityBits_);
            break;
        case Field::StopBits:
            s.stopBits = static_cast<uint8_t>(stopBits_);
            break;
        case Field::XoffLimit:
            s.xoffLimit = static_cast<uint16_t>(inQueueSize_ - receiveNotifySize_);
            break;
        case Field::XonLimit:
            s.xonLimit = static_cast<uint16_t>(sendNotifySize_);
            break;
        case Field::FlowControls:
            s.flags &= ~FlowControlBits;
            s.flags |= flowControls_.contains(cfcRtsCts)
                           ? lineflag::RtsControlHandshake | lineflag::OutxCtsFlow
                           : lineflag::RtsControlEnable;
            s.flags |= flowControls_.contains(cfcDtrDsr)
                           ? lineflag::DtrControlHandshake | lineflag::OutxDsrFlow
                           : lineflag::DtrControlEnable;
            if (flowControls_.contains(cfcXonXoff)) {
                s.flags |= lineflag::OutX | lineflag::InX;
            }
            s.xonChar = 0x11;
            s.xoffChar = 0x13;
            s.flags |= lineflag::Binary | lineflag::Parity;
            break;
    }
    handle_->setLineSettings(s);
}

void TComm::applyEventMask() {
    if (isOpen()) {
        handle_->setEventMask(eventMask_.bits());
    }
}

void TComm::handleEvents(uint32_t eventFlags) {
    try {
        if (eventFlags & commevent::RxChar) {
            DoCommReceive();
        } else if (eventFlags & commevent::TxEmpty) {
            DoCommTransmit();
        } else if (eventFlags & ~commevent::LineGone) {
            DoCommEvent(eventFlags);
        }
        // After the last bytes, so that the owner has them when it hears the line is gone.
        if ((eventFlags & commevent::LineGone) && isOpen() && OnDeviceGone) {
            OnDeviceGone();
        }
    } catch (const std::exception& e) {
        if (OnHandlerError) {
            OnHandlerError(QString::fromUtf8(e.what()));
        }
    }
}

void TComm::DoCommReceive() {
    if (!isOpen() || !OnCommReceive) {
        return;
    }
    const int waiting = handle_->lineStatus().inQueue;
    if (waiting > 0) {
        OnCommReceive(*this, static_cast<uint16_t>(std::min(waiting, 0xFFFF)));
    }
    if (isOpen()) {
        handle_->lineStatus();
    }
}

void TComm::DoCommTransmit() {
    if (isOpen() && OnCommTransmit) {
        OnCommTransmit(*this, static_cast<uint16_t>(handle_->lineStatus().outQueue));
    }
}

void TComm::DoCommEvent(uint32_t eventFlags) {
    if (isOpen() && OnCommEvent) {
        OnCommEvent(*this,
                    TCommEventMask::fromBits(static_cast<uint16_t>(eventFlags & ReportedEvents)));
    }
}
