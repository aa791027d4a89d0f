#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace protocol {

// The three charge amounts of the adapter's charge report, as the adapter wrote them.
struct ChargeAmounts {
    QByteArray tel1;     // tag "N6"
    QByteArray tel2;     // tag "N7"
    QByteArray digital;  // tag "N5"
};

// Reads the charge report as it stands in the receive buffer: the text up to the first NUL,
// tags starting at positions 1 to 255 (a later one replacing an earlier one), each amount the
// ten characters after the tag and three skipped ones, cut at the first carriage return. A tag
// that is missing leaves its amount empty.
ChargeAmounts parseChargeReply(const uint8_t* data, size_t size);

// What an amount panel shows: the amount as it is, then " 円 ".
QString chargePanelText(const QByteArray& amount);

}  // namespace protocol
