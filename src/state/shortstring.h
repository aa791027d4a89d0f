#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

#include "ui/sjis.h"

namespace appstate {

// A length byte followed by at most N Shift-JIS bytes; longer text is cut at a character boundary.
template <int N>
class ShortString {
    static_assert(N > 0 && N < 256);

public:
    void clear() { length_ = 0; }
    bool empty() const { return length_ == 0; }
    int size() const { return length_; }

    void assign(const QByteArray& bytes) {
        const QByteArray cut = ui::sjis::cutBytes(bytes, N);
        length_ = static_cast<uint8_t>(cut.size());
        std::copy(cut.begin(), cut.end(), data_.begin());
    }
    QByteArray bytes() const { return QByteArray(data_.data(), length_); }

    friend bool operator==(const ShortString& a, const ShortString& b) {
        return a.bytes() == b.bytes();
    }

private:
    uint8_t length_ = 0;
    std::array<char, N> data_{};
};

}  // namespace appstate
