#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace appstate {

// The adapter's call log image as this run holds it. The first byte says what it is: 255 marks
// an image that the next look at the call log downloads again, 0 a log with no calls. History
// files store the bytes as they are, marker included.
class HeldLogImage {
public:
    static constexpr int Size = 4001;
    enum class Status { Stale, Empty, Held };

    Status status() const {
        if (bytes_[0] == StaleMark) {
            return Status::Stale;
        }
        return bytes_[0] == 0 ? Status::Empty : Status::Held;
    }
    bool isStale() const { return status() == Status::Stale; }
    // The adapter's log changed under it: the next look downloads again.
    void markStale() { bytes_[0] = StaleMark; }
    // The adapter's log was cleared.
    void markEmpty() { bytes_[0] = 0; }
    // Copies bytes over the start of the image; what lies beyond them stays as it was.
    void hold(std::span<const uint8_t> bytes) {
        std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), Size), bytes_.begin());
    }
    std::span<const uint8_t, Size> bytes() const { return bytes_; }

private:
    static constexpr uint8_t StaleMark = 255;
    std::array<uint8_t, Size> bytes_{};
};

}  // namespace appstate
