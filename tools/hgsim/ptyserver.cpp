#include "hgsim/ptyserver.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>

namespace hgsim {

namespace {

using Clock = std::chrono::steady_clock;

struct Due {
    Clock::time_point at;
    QByteArray bytes;
};

}  // namespace

void PtyServer::run(const std::atomic<bool>& stop) {
    std::deque<Due> out;
    Clock::time_point busyUntil = Clock::now();
    const int master = port_.master();
    while (!stop) {
        const auto now = Clock::now();
        const bool due = !out.empty() && out.front().at <= now;
        int timeoutMs = 200;
        if (!out.empty() && !due) {
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(out.front().at - now);
            timeoutMs = static_cast<int>(std::clamp<int64_t>(wait.count() + 1, 0, 200));
        }
        pollfd p{master, static_cast<short>(POLLIN | (due ? POLLOUT : 0)), 0};
        if (::poll(&p, 1, timeoutMs) < 0 && errno != EINTR) {
            return;
        }
        if (p.revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                const int before = static_cast<int>(adapter_.commands().size());
                Clock::time_point at = std::max(Clock::now(), busyUntil);
                for (const Burst& burst : adapter_.receive(QByteArray(buffer, n))) {
                    at += std::chrono::milliseconds(burst.delayMs);
                    out.push_back({at, burst.bytes});
                }
                busyUntil = at;
                for (int i = before; onCommand && i < adapter_.commands().size(); ++i) {
                    onCommand(adapter_.commands()[i]);
                }
            }
        }
        while (!out.empty() && out.front().at <= Clock::now()) {
            QByteArray& bytes = out.front().bytes;
            const ssize_t n = ::write(master, bytes.constData(), static_cast<size_t>(bytes.size()));
            if (n <= 0) {
                break;
            }
            bytes.remove(0, n);
            if (bytes.isEmpty()) {
                out.pop_front();
            }
        }
    }
}

}  // namespace hgsim
