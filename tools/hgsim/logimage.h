#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

namespace hgsim {

// One call as the adapter records it, in readable form.
struct SimCall {
    uint8_t ports = 1;  // bit 0 port 1, bit 1 port 2, bit 2 port 3
    uint8_t kind = 1;   // 0 to 5
    bool answeringMachine = false;
    QDateTime start;  // for an answering-machine entry: the time of the message
    int32_t durationSeconds = 0;
    uint16_t charge = 0;
    QByteArray number;
    QByteArray subNumber;
};

constexpr int LogImageBytes = 3086;

// A moment on the adapter's seconds scale: 365-day years from 1997, days counted from 1.
int32_t scaleSeconds(const QDateTime& time);

// The log image the adapter sends: the entries back to back, then zeros up to 3086 bytes.
// Entries that would not fit are left out.
QByteArray buildLogImage(const std::vector<SimCall>& calls);

// Reads a list of calls, one a line: ports kind date time duration charge number[*sub]
// e.g. "13 out 2026-12-01 09:15:00 185 30 0312345678*12". Kinds: unknown, out, in, cb,
// relay, fwd, or am for an answering-machine entry; "-" is an empty number. Lines starting
// with # are comments. On a bad line, error names it and the result is empty.
std::vector<SimCall> parseCalls(const QString& text, QString* error);

// Every kind of call, ports 1 to 3, answering-machine entries, charges and sub-numbers.
std::vector<SimCall> defaultCalls();

}  // namespace hgsim
