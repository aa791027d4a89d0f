#pragma once

#include <cstdint>
#include <span>

// The adapter's answer to the clock request: its clock in seconds, then its password code.
namespace protocol {

// Bytes 0 to 3, most significant first, as a signed 32-bit count.
int32_t hgClockSecondsOf(std::span<const uint8_t> reply);
// Bytes 6 to 8 read as a decimal number; 0 when they are not one.
int32_t passwordCodeOf(std::span<const uint8_t> reply);

}  // namespace protocol
