#pragma once

#include <cstdint>

// The log's times are signed 32-bit values and its arithmetic wraps as 32-bit arithmetic does, so
// an image with times near the limits converts to the same texts as on the adapter's side.
namespace protocol {

constexpr int32_t wrap32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}
constexpr int32_t add32(int32_t a, int32_t b) {
    return wrap32(int64_t{a} + b);
}
constexpr int32_t sub32(int32_t a, int32_t b) {
    return wrap32(int64_t{a} - b);
}
constexpr int32_t mul32(int32_t a, int32_t b) {
    return wrap32(int64_t{a} * b);
}

}  // namespace protocol
