#include "ui/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace sjis {
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

int byteLength(const QString& text) {
    return static_cast<int>(fromUnicode(text).size());
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
    const QByteArray bytes = fromUnicode(text);
    if (bytes.size() <= maxBytes) {
        return text;
    }
    return toUnicode(cutBytes(bytes, maxBytes));
}

}  // namespace sjis
