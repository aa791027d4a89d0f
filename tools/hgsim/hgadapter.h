#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <functional>
#include <vector>

#include "hgsim/logimage.h"

namespace hgsim {

// Bytes the adapter sends after a pause, in milliseconds after the previous burst.
struct Burst {
    int delayMs = 0;
    QByteArray bytes;
};

// What the simulated adapter answers; every field can be changed per run.
struct HgConfig {
    QByteArray identification = "TILKA HG SIMULATOR 1.00";
    // Added to the PC's clock to give the adapter's clock.
    int32_t clockOffsetSeconds = 0;
    int passwordCode = 0;
    std::vector<SimCall> calls = defaultCalls();
    QByteArray chargeTel1 = "1234";
    QByteArray chargeTel2 = "560";
    QByteArray chargeDigital = "0";
    // The replies to a dial command; "%L" stands for the line number.
    std::vector<Burst> dialReply{{1500, "AC\r\n"}};
    QByteArray hangUpReply = "OK\r\n";
    // Pause before any reply starts.
    int replyDelayMs = 20;
    // Line speed of longer replies; 0 sends each burst at once.
    int charsPerSecond = 1920;
};

// The adapter's answers to its command catalogue, without any notion of time or transport:
// bytes in, timed bursts out.
class HgAdapter {
public:
    explicit HgAdapter(HgConfig config, std::function<QDateTime()> wallClock);

    // Takes bytes from the line; each complete command gives its reply bursts.
    std::vector<Burst> receive(const QByteArray& bytes);

    // Every complete command received, "\r" included.
    const QList<QByteArray>& commands() const { return commands_; }
    HgConfig& config() { return config_; }
    int logModeTel1() const { return logModeTel1_; }
    int logModeTel2() const { return logModeTel2_; }

private:
    QByteArray answer(const QByteArray& command, std::vector<Burst>& timed);
    std::vector<Burst> paced(const QByteArray& reply) const;

    HgConfig config_;
    std::function<QDateTime()> wallClock_;
    QByteArray pending_;
    QList<QByteArray> commands_;
    int logModeTel1_ = 0;
    int logModeTel2_ = 0;
};

}  // namespace hgsim
