#include "protocol/clockreply.h"

namespace protocol {

namespace {

constexpr size_t CodeAt = 6;
constexpr size_t CodeLength = 3;

uint8_t byteAt(std::span<const uint8_t> reply, size_t index) {
    return index < reply.size() ? reply[index] : 0;
}

}  // namespace

int32_t hgClockSecondsOf(std::span<const uint8_t> reply) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = (value << 8) | byteAt(reply, i);
    }
    return static_cast<int32_t>(value);
}

int32_t passwordCodeOf(std::span<const uint8_t> reply) {
    size_t at = CodeAt;
    const size_t end = CodeAt + CodeLength;
    const uint8_t first = byteAt(reply, at);
    const bool negative = first == '-';
    if (negative || first == '+') {
        ++at;
    }
    if (at == end) {
        return 0;
    }
    int32_t value = 0;
    for (; at < end; ++at) {
        const uint8_t c = byteAt(reply, at);
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

}  // namespace protocol
