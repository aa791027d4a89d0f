#include "ui/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace ui::sjis {
namespace {

// glibc's CP932 takes the characters a Japanese Windows user types (〜, －, −) that the strict
// Shift_JIS tables refuse.
QByteArray convert(const char* to, const char* from, const QByteArray& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    QByteArray out;
    std::vector<char> buf(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    while (srcLeft > 0) {
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), static_cast<qsizetype>(buf.size() - dstLeft));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // An unconvertible or truncated sequence: skip one byte and mark it, as Windows does.
            out.append('?');
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QByteArray fromUnicode(const QString& text) {
    return convert("CP932", "UTF-8", text.toUtf8());
}

QString toUnicode(const QByteArray& bytes) {
    return QString::fromUtf8(convert("UTF-8", "CP932", bytes));
}

namespace {

// Measures characters one at a time, opening a converter only for characters not yet known.
class CharWidth {
public:
    CharWidth() = default;
    ~CharWidth() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd_);
        }
    }
    CharWidth(const CharWidth&) = delete;
    CharWidth& operator=(const CharWidth&) = delete;

    // The character's CP932 bytes; two for one without a CP932 form, as a double-byte
    // character, so that it is kept and counted rather than replaced.
    int operator()(char32_t c) {
        if (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) {
            return 1;
        }
        if (c > 0xFFFF) {
            return 2;  // CP932 has no character beyond the BMP
        }
        // Imports measure every field of many records, so each character is converted once.
        thread_local std::array<uint8_t, 0x10000> known{};
        uint8_t& width = known[c];
        if (width == 0) {
            width = static_cast<uint8_t>(convertedWidth(c));
        }
        return width;
    }

private:
    int convertedWidth(char32_t c) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            cd_ = iconv_open("CP932", "UTF-8");
            if (cd_ == reinterpret_cast<iconv_t>(-1)) {
                return 2;
            }
        }
        char in[3];
        size_t inSize = 0;
        if (c < 0x800) {
            in[inSize++] = static_cast<char>(0xC0 | (c >> 6));
        } else {
            in[inSize++] = static_cast<char>(0xE0 | (c >> 12));
            in[inSize++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        in[inSize++] = static_cast<char>(0x80 | (c & 0x3F));
        char out[8];
        char* src = in;
        char* dst = out;
        size_t srcLeft = inSize;
        size_t dstLeft = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft > 0) {
            return 2;
        }
        return static_cast<int>(sizeof out - dstLeft);
    }

    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

// The number of UTF-16 units from the start of text that fit in maxBytes, and their bytes.
std::pair<qsizetype, int> fittingPrefix(const QString& text, int maxBytes) {
    CharWidth width;
    qsizetype i = 0;
    int bytes = 0;
    while (i < text.size()) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const int w = width(c);
        if (bytes + w > maxBytes) {
            break;
        }
        bytes += w;
        i += pair ? 2 : 1;
    }
    return {i, bytes};
}

}  // namespace

int byteLength(const QString& text) {
    return fittingPrefix(text, std::numeric_limits<int>::max()).second;
}

QByteArray cutBytes(const QByteArray& bytes, int maxBytes) {
    if (maxBytes <= 0) {
        return {};
    }
    int i = 0;
    const int n = static_cast<int>(bytes.size());
    while (i < n) {
        const int width = isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < n ? 2 : 1;
        if (i + width > maxBytes) {
            break;
        }
        i += width;
    }
    return bytes.left(i);
}

QString cut(const QString& text, int maxBytes) {
    return text.left(fittingPrefix(text, std::max(maxBytes, 0)).first);
}

}  // namespace ui::sjis
