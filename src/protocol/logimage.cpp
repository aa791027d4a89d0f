#include "protocol/logimage.h"

namespace protocol {
namespace {

uint8_t byteAt(std::span<const uint8_t> image, int offset) {
    return offset >= 0 && static_cast<size_t>(offset) < image.size()
               ? image[static_cast<size_t>(offset)]
               : uint8_t{0};
}

int32_t int32At(std::span<const uint8_t> image, int offset) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = (value << 8) | byteAt(image, offset + i);
    }
    return static_cast<int32_t>(value);
}

// A digit string ended by a zero byte, or by its maximum length without one. Returns the bytes
// the field occupies.
int readDigits(std::span<const uint8_t> image, int offset, int maxLength, QByteArray& digits) {
    digits.clear();
    while (digits.size() < maxLength) {
        const uint8_t b = byteAt(image, offset + static_cast<int>(digits.size()));
        if (b == 0) {
            return static_cast<int>(digits.size()) + 1;
        }
        digits.append(static_cast<char>(b));
    }
    return maxLength;
}

}  // namespace

LogEntry decodeLogEntry(std::span<const uint8_t> image, int offset) {
    LogEntry e;
    e.offset = offset;
    e.portSet = byteAt(image, offset);
    e.callKind = byteAt(image, offset + 1);
    e.startSeconds = int32At(image, offset + 2);
    e.endSeconds = int32At(image, offset + 6);
    e.charge = static_cast<uint16_t>(byteAt(image, offset + 10) << 8 | byteAt(image, offset + 11));
    const int a = readDigits(image, offset + 12, MaxNumberLength, e.number);
    const int b = readDigits(image, offset + 12 + a, MaxSubNumberLength, e.subNumber);
    e.size = 12 + a + b;
    return e;
}

DecodedLog decodeLogImage(std::span<const uint8_t> image) {
    DecodedLog log;
    int offset = 0;
    while (byteAt(image, offset) != 0 && offset <= LastEntryOffset &&
           log.entries.size() < MaxLogEntries) {
        log.entries.push_back(decodeLogEntry(image, offset));
        offset += log.entries.back().size;
    }
    log.endOffset = offset;
    return log;
}

}  // namespace protocol
