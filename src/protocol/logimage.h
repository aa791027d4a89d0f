#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>
#include <vector>

namespace protocol {

// Where the adapter's log stops: no entry starts beyond this offset, and at most this many
// entries are read.
constexpr int LastEntryOffset = 3000;
constexpr int MaxLogEntries = 220;
constexpr int MaxNumberLength = 23;
constexpr int MaxSubNumberLength = 21;

// One call as the adapter stores it: packed, big-endian, numbers as 8-bit characters.
struct LogEntry {
    int offset = 0;
    int size = 0;  // bytes the entry occupies, 14 to 56
    uint8_t portSet = 0;
    uint8_t callKind = 0;
    int32_t startSeconds = 0;  // 0: a message recorded while nobody answered
    int32_t endSeconds = 0;
    uint16_t charge = 0;
    QByteArray number;
    QByteArray subNumber;
};

struct DecodedLog {
    std::vector<LogEntry> entries;
    int endOffset = 0;  // where reading stopped
};

// Reads the entry at offset. Bytes past the end of the image read as 0, so no image, however
// malformed, is read outside its bounds.
LogEntry decodeLogEntry(std::span<const uint8_t> image, int offset);

// Reads entries from offset 0 until a zero byte, an offset above LastEntryOffset or
// MaxLogEntries entries. The image itself is never rejected.
DecodedLog decodeLogImage(std::span<const uint8_t> image);

}  // namespace protocol
