#include "hgsim/hgadapter.h"

#include <QRegularExpression>
#include <algorithm>

namespace hgsim {

namespace {

const QByteArray Ok = "OK\r\n";
const QByteArray Err = "ERR\r\n";

QRegularExpressionMatch matchCommand(const char* pattern, const QByteArray& command) {
    const QRegularExpression re(QString::fromLatin1(pattern));
    return re.match(QString::fromLatin1(command));
}

}  // namespace

HgAdapter::HgAdapter(HgConfig config, std::function<QDateTime()> wallClock)
    : config_(std::move(config)), wallClock_(std::move(wallClock)) {}

std::vector<Burst> HgAdapter::receive(const QByteArray& bytes) {
    std::vector<Burst> out;
    pending_.append(bytes);
    for (qsizetype end = pending_.indexOf('\r'); end >= 0; end = pending_.indexOf('\r')) {
        const QByteArray command = pending_.left(end + 1);
        pending_.remove(0, end + 1);
        commands_.append(command);
        std::vector<Burst> timed;
        const QByteArray reply = answer(command.trimmed(), timed);
        const std::vector<Burst> replyBursts = reply.isEmpty() ? timed : paced(reply);
        out.insert(out.end(), replyBursts.begin(), replyBursts.end());
    }
    return out;
}

// A reply leaves at the line's speed, in bursts of a fiftieth of a second.
std::vector<Burst> HgAdapter::paced(const QByteArray& reply) const {
    if (config_.charsPerSecond <= 0) {
        return {{config_.replyDelayMs, reply}};
    }
    const int chunk = std::max(1, config_.charsPerSecond / 50);
    std::vector<Burst> bursts;
    for (qsizetype at = 0; at < reply.size(); at += chunk) {
        bursts.push_back({at == 0 ? config_.replyDelayMs : 20, reply.mid(at, chunk)});
    }
    return bursts;
}

QByteArray HgAdapter::answer(const QByteArray& command, std::vector<Burst>& timed) {
    QRegularExpressionMatch m;
    if (command == "ATI" || command == "ATI\\I") {
        return config_.identification + "\r\n" + Ok;
    }
    if (command == "AT\\L2G53") {
        const auto clock =
            static_cast<uint32_t>(scaleSeconds(wallClock_()) + config_.clockOffsetSeconds);
        QByteArray reply;
        for (int shift = 24; shift >= 0; shift -= 8) {
            reply.append(static_cast<char>((clock >> shift) & 0xFF));
        }
        reply.append("\0\0", 2);
        reply.append(QByteArray::number(config_.passwordCode).rightJustified(3, '0'));
        return reply;
    }
    if ((m = matchCommand(R"(^AT\\L1(-?\d+)$)", command)).hasMatch()) {
        return m.captured(1).toInt() == config_.passwordCode ? buildLogImage(config_.calls) : Err;
    }
    if (command == "AT\\L3") {
        config_.calls.clear();
        return Ok;
    }
    if ((m = matchCommand(R"(^ATG53=(-?\d+)\\L3$)", command)).hasMatch()) {
        config_.passwordCode = m.captured(1).toInt();
        config_.calls.clear();
        return Ok;
    }
    if ((m = matchCommand(R"(^AT\\T1/(9\*0|1\*4)(\d+)$)", command)).hasMatch()) {
        logModeTel1_ = m.captured(2).toInt();
        return Ok;
    }
    if ((m = matchCommand(R"(^ATE0\\T2/(9\*0|1\*4)(\d+)$)", command)).hasMatch()) {
        logModeTel2_ = m.captured(2).toInt();
        return Ok;
    }
    if ((m = matchCommand(R"(^ATN([567])=0$)", command)).hasMatch()) {
        const QChar tag = m.captured(1).at(0);
        (tag == QLatin1Char('6')   ? config_.chargeTel1
         : tag == QLatin1Char('7') ? config_.chargeTel2
                                   : config_.chargeDigital) = "0";
        return Ok;
    }
    if (command == "ATE0N") {
        return "N6 = " + config_.chargeTel1 + "\r\nN7 = " + config_.chargeTel2 +
               "\r\nN5 = " + config_.chargeDigital + "\r\n" + Ok;
    }
    if (command == "ATE0") {
        return Ok;
    }
    if ((m = matchCommand(R"(^AT\\D(\d+)/[0-9*#]*$)", command)).hasMatch()) {
        const QByteArray line = m.captured(1).toLatin1();
        for (const Burst& burst : config_.dialReply) {
            timed.push_back({burst.delayMs, QByteArray(burst.bytes).replace("%L", line)});
        }
        return {};
    }
    if (matchCommand(R"(^AT\\D\d+$)", command).hasMatch()) {
        return config_.hangUpReply;
    }
    return Err;
}

}  // namespace hgsim
