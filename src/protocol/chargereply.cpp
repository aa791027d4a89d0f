#include "protocol/chargereply.h"

#include <cstring>

#include "ui/sjis.h"

namespace protocol {

namespace {
constexpr qsizetype LastTagPosition = 255;  // 1-based, as the adapter's manual counts
constexpr qsizetype SkippedAfterTag = 3;
constexpr qsizetype ValueFieldLength = 10;
}  // namespace

ChargeAmounts parseChargeReply(const uint8_t* data, size_t size) {
    const void* nul = std::memchr(data, 0, size);
    const size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));

    ChargeAmounts amounts;
    for (qsizetype i = 0; i < LastTagPosition && i + 1 < text.size(); ++i) {
        if (text[i] != 'N') {
            continue;
        }
        QByteArray* amount = nullptr;
        switch (text[i + 1]) {
            case '6':
                amount = &amounts.tel1;
                break;
            case '7':
                amount = &amounts.tel2;
                break;
            case '5':
                amount = &amounts.digital;
                break;
            default:
                continue;
        }
        QByteArray field = text.mid(i + 2 + SkippedAfterTag, ValueFieldLength);
        const qsizetype cr = field.indexOf('\r');
        if (cr >= 0) {
            field.truncate(cr);
        }
        *amount = field;
    }
    return amounts;
}

QString chargePanelText(const QByteArray& amount) {
    return ui::sjis::toUnicode(amount) + QStringLiteral(" 円 ");
}

}  // namespace protocol
