#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

// Reading the adapter's replies to a dial command, and the texts the dial pad shows.
namespace protocol {

// What a matched reply asks of the dial pad.
enum class ReplyAction {
    None,       // nothing matched: keep waiting for more bytes
    Connected,  // the call is up: count its time
    Cleared,    // the attempt ended: hang up
    ClearedRaw  // ended with a reply shown as it came: hang up
};

struct DialReply {
    // 1 to 11 in the order the rows are tried; 0 when nothing matched.
    int row = 0;
    ReplyAction action = ReplyAction::None;
    // The status panel's new text; empty optional where the panel keeps its text.
    std::optional<QString> panelText;
};

// Scans the received text (the buffer up to its first NUL) from each start position up to
// rxIndex (the first position even when rxIndex is 0), trying the rows in order at each
// position. A row compares a prefix, so cause 170 reads as cause 17, and bytes beyond rxIndex
// left from an older reply take part.
DialReply matchDialReply(const uint8_t* buffer, size_t size, int32_t rxIndex, int32_t dialLine);

// Minutes and seconds of a connected call: "00:05", "12:34", "100:00".
QString elapsedText(int32_t seconds);

}  // namespace protocol
