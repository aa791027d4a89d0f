#include "rules/password.h"

namespace rules {

namespace {
constexpr qsizetype MaxPasswordLength = 4;
}  // namespace

std::optional<int32_t> passwordNumber(const QString& text) {
    if (text.isEmpty() || text.size() > MaxPasswordLength) {
        return std::nullopt;
    }
    qsizetype i = 0;
    const bool negative = text[0] == u'-';
    if (negative || text[0] == u'+') {
        i = 1;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    int32_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

int32_t passwordCodeOf(int32_t n) {
    return n % 255 + 1;
}

}  // namespace rules
