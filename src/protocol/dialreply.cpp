#include "protocol/dialreply.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "ui/sjis.h"

namespace protocol {

namespace {

// Characters shown of a reply the table has no words for.
constexpr qsizetype RawTextLength = 10;

struct ReplyRow {
    int number;
    QByteArray expected;
    ReplyAction action;
    std::optional<QString> panelText;
};

// The result codes in the order they are tried; the numbers after "ASTS <line>" are the cause
// values of the cleared call. Row 11 takes either of two texts.
std::array<ReplyRow, 12> rowsFor(int32_t dialLine) {
    const QByteArray line = "ASTS " + QByteArray::number(dialLine);
    const auto cause = [&](const char* value) { return line + ' ' + value; };
    return {{
        {1, "AC", ReplyAction::Connected, QStringLiteral("00:00")},
        {2, "DEL", ReplyAction::Cleared, QStringLiteral("DELAYED")},
        {3, cause("17"), ReplyAction::Cleared, QStringLiteral("相手側話中")},
        {4, cause("34"), ReplyAction::Cleared, QStringLiteral("回線使用中")},
        {5, cause("16"), ReplyAction::Cleared, std::nullopt},
        {6, cause("0"), ReplyAction::Cleared, std::nullopt},
        {7, cause("28"), ReplyAction::Cleared, QStringLiteral("番号不一致")},
        {8, cause("129"), ReplyAction::Cleared, QStringLiteral("回線未接続")},
        {9, cause("131"), ReplyAction::Cleared, QStringLiteral("回線利用中")},
        {10, line, ReplyAction::ClearedRaw, std::nullopt},
        {11, "ASTS", ReplyAction::ClearedRaw, std::nullopt},
        {11, "ERR", ReplyAction::ClearedRaw, std::nullopt},
    }};
}

}  // namespace

DialReply matchDialReply(const uint8_t* buffer, size_t size, int32_t rxIndex, int32_t dialLine) {
    const auto* chars = reinterpret_cast<const char*>(buffer);
    const QByteArray text(chars, static_cast<qsizetype>(strnlen(chars, size)));
    const std::array<ReplyRow, 12> rows = rowsFor(dialLine);
    const qsizetype last = std::min<qsizetype>(std::max(rxIndex, 1), text.size());
    for (qsizetype p = 0; p < last; ++p) {
        const QByteArray rest = text.mid(p);
        for (const ReplyRow& row : rows) {
            if (rest.startsWith(row.expected)) {
                DialReply reply{row.number, row.action, row.panelText};
                if (reply.action == ReplyAction::ClearedRaw) {
                    reply.panelText = ui::sjis::toUnicode(rest.left(RawTextLength));
                }
                return reply;
            }
        }
    }
    return {};
}

QString elapsedText(int32_t seconds) {
    const int32_t minutes = seconds / 60;
    return (minutes < 10 ? QStringLiteral("0") : QString()) + QString::number(minutes) +
           QStringLiteral(":") + QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace protocol
