#pragma once

#include <QByteArray>
#include <cstdint>

namespace appstate {
struct ProgramState;
}

// Writes log entries in the adapter's packed layout, independently of the program's decoder.
struct TestLogEntry {
    uint8_t port = 1;
    uint8_t kind = 2;
    int32_t start = 0;
    int32_t end = 0;
    uint16_t charge = 0;
    QByteArray number;
    QByteArray subNumber;
};

// The entry's bytes: a number of 23 characters (or a sub-number of 21) has no zero byte after it.
QByteArray logEntryBytes(const TestLogEntry& entry);

// Puts bytes at the start of the held log image and zeroes the rest, as after a start and a
// download.
void putLogImage(appstate::ProgramState& state, const QByteArray& bytes);
