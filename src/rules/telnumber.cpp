#include "rules/telnumber.h"

#include "ui/sjis.h"

namespace rules {
namespace {

constexpr int DigitsWalk = 50;
constexpr int NormalizeWalk = 255;

bool isDialChar(QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'#' || c == u'*';
}

// The single byte that a full-width character stands for, or 0 when it is to be dropped.
char halfWidth(uint8_t lead, uint8_t trail) {
    if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
        return static_cast<char>('0' + (trail - 0x4F));
    }
    if (lead == 0x81) {
        switch (trail) {
            case 0x7C:
                return '-';
            case 0x94:
                return '#';
            case 0x96:
                return '*';
            default:
                break;
        }
    }
    return 0;
}

}  // namespace

QString lookupDigits(const QString& text) {
    QString digits;
    for (QChar c : QStringView(text).left(DigitsWalk)) {
        if (isDialChar(c)) {
            digits.append(c);
        }
    }
    return digits;
}

QString normalizeNumber(const QString& text) {
    const QByteArray bytes = ui::sjis::fromUnicode(text).left(NormalizeWalk);
    QByteArray out;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if ((b >= '0' && b <= '9') || b == '#' || b == '*' || b == '-') {
            out.append(static_cast<char>(b));
            ++i;
        } else if ((b == 0x81 || b == 0x82) && i + 1 < bytes.size()) {
            if (const char c = halfWidth(b, static_cast<uint8_t>(bytes[i + 1]))) {
                out.append(c);
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return QString::fromLatin1(out);
}

}  // namespace rules
