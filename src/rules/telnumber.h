#pragma once

#include <QString>

namespace rules {

// The look-up form of a number: of its first 50 characters only the digits, "#" and "*", in
// order. The phone book's 電話番号２ and the call log's numbers are in this form.
QString lookupDigits(const QString& text);

// The stored form of a typed number: walking its first 255 Shift-JIS bytes, keeps the single-byte
// digits, "#", "*" and "-", turns their full-width forms into single bytes and drops the rest.
QString normalizeNumber(const QString& text);

}  // namespace rules
