#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace adapter {

// The bytes the adapter sent since the running exchange last restarted the count. Bytes beyond
// the end wrap to the start, as the adapter's longest reply never reaches it.
class ReceiveBuffer {
public:
    static constexpr int Size = 4001;

    void append(std::span<const uint8_t> bytes) {
        for (const uint8_t byte : bytes) {
            bytes_[static_cast<size_t>(count_)] = byte;
            ++count_;
            if (count_ > Size - 1) {
                count_ = 0;
            }
        }
    }
    // The next byte lands at the start again.
    void restart() { count_ = 0; }
    // Zeroes the first count bytes, so that an earlier reply cannot pass for the next one.
    void zeroFront(int count) { std::fill_n(bytes_.begin(), count, 0); }
    // Where the next byte lands: the bytes received since the last restart.
    int count() const { return count_; }
    std::span<const uint8_t, Size> bytes() const { return bytes_; }

private:
    std::array<uint8_t, Size> bytes_{};
    int count_ = 0;
};

}  // namespace adapter
