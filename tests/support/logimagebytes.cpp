#include "logimagebytes.h"

#include <algorithm>

#include "state/programstate.h"

namespace {

void appendBigEndian(QByteArray& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void appendDigits(QByteArray& out, const QByteArray& digits, int maxLength) {
    out.append(digits.left(maxLength));
    if (digits.size() < maxLength) {
        out.append('\0');
    }
}

}  // namespace

QByteArray logEntryBytes(const TestLogEntry& e) {
    QByteArray out;
    out.append(static_cast<char>(e.port));
    out.append(static_cast<char>(e.kind));
    appendBigEndian(out, static_cast<uint32_t>(e.start), 4);
    appendBigEndian(out, static_cast<uint32_t>(e.end), 4);
    appendBigEndian(out, e.charge, 2);
    appendDigits(out, e.number, 23);
    appendDigits(out, e.subNumber, 21);
    return out;
}

void putLogImage(appstate::ProgramState& state, const QByteArray& bytes) {
    std::vector<uint8_t> image(appstate::HeldLogImage::Size, 0);
    const auto n = std::min<size_t>(static_cast<size_t>(bytes.size()), image.size());
    std::copy_n(reinterpret_cast<const uint8_t*>(bytes.constData()), n, image.begin());
    state.logImage.hold(image);
}
