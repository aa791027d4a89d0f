#pragma once

#include <poll.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <chrono>

// Bytes the far side of a pseudo-terminal reads within the time limit, up to count.
inline QByteArray readFarSide(int master, int count, int limitMs = 2000) {
    QByteArray got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    char buffer[8192];
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd p{master, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        got.append(buffer, n);
    }
    return got;
}

inline int threadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}
