#include "rules/logconversion.h"

#include "protocol/int32wrap.h"
#include "protocol/secondsscale.h"
#include "rules/logtexts.h"
#include "rules/telnumber.h"
#include "state/programstate.h"

namespace rules {
namespace {

constexpr int32_t NoDrift = 99;
constexpr int BytesPerPercent = 30;

QString padded(int32_t value, const QString& prefix) {
    return prefix + (value < 10 ? QStringLiteral("0") : QString()) + QString::number(value);
}

}  // namespace

ClockSettings clockSettingsOf(const appstate::ProgramState& state) {
    return {state.hgClockSeconds, state.settings.clockDriftSetting, state.clockDifference};
}

int32_t driftCorrected(int32_t seconds, const ClockSettings& clock) {
    const int32_t hours = protocol::sub32(clock.adapterClockSeconds, seconds) / 3600;
    return protocol::add32(
        seconds, protocol::mul32(hours, protocol::sub32(clock.clockDriftSetting, NoDrift)));
}

QString durationText(int32_t d) {
    const int32_t hours = d / 3600;
    const int32_t minutes = protocol::sub32(d / 60, protocol::mul32(hours, 60));
    const int32_t seconds = protocol::sub32(protocol::sub32(d, protocol::mul32(minutes, 60)),
                                            protocol::mul32(hours, 3600));
    return padded(hours, QString()) + padded(minutes, QStringLiteral(":")) +
           padded(seconds, QStringLiteral(":"));
}

QString chargeText(uint16_t charge) {
    return charge > 0 ? QString::number(charge) + QStringLiteral(" 円") : QStringLiteral("---");
}

QString numberText(const protocol::LogEntry& entry) {
    QString text = QString::fromLatin1(entry.number);
    if (!entry.subNumber.isEmpty()) {
        text += u'*' + QString::fromLatin1(entry.subNumber);
    }
    return lookupDigits(text);
}

ConvertedEntry convertLogEntry(const protocol::LogEntry& entry, int rowNumber,
                               const ClockSettings& clock) {
    int32_t start = entry.startSeconds;
    int32_t end = entry.endSeconds;
    if (start > 0) {
        start = driftCorrected(start, clock);
        end = driftCorrected(end, clock);
    }
    ConvertedEntry c;
    db::LogRow& row = c.row;
    row.logNo = QString::number(rowNumber);
    row.ports = portText(entry.portSet);
    row.charge = chargeText(entry.charge);
    row.number = numberText(entry);
    c.answeringMachine = entry.startSeconds == 0;
    if (c.answeringMachine) {
        row.kind = AnsweringMachineText;
        row.duration = QStringLiteral("留守中");
        c.moment = protocol::add32(clock.clockDifference, end);
        row.callTime = protocol::timeText(c.moment);
    } else {
        row.kind = kindText(entry.callKind);
        row.duration = durationText(protocol::sub32(end, start));
        c.moment = protocol::add32(clock.clockDifference, start);
        row.callTime = protocol::timeText(c.moment);
    }
    return c;
}

db::ArchivedCall archivedCallOf(const protocol::LogEntry& entry, const ConvertedEntry& converted) {
    db::ArchivedCall call;
    call.row = converted.row;
    call.startSeconds = entry.startSeconds;
    call.portSet = entry.portSet;
    call.callKind = entry.callKind;
    call.number = QString::fromLatin1(entry.number);
    if (!entry.subNumber.isEmpty()) {
        call.number += u'*' + QString::fromLatin1(entry.subNumber);
    }
    call.durationSeconds = protocol::sub32(entry.endSeconds, entry.startSeconds);
    call.charge = entry.charge;
    call.moment = converted.moment;
    return call;
}

QString totalChargeText(int total) {
    return QString::number(total) + QStringLiteral(" 円 ");
}

QString entryCountText(int count) {
    return QString::number(count) + QStringLiteral(" 件");
}

int memoryGaugeValue(int count, int endOffset) {
    return count == 0 ? 0 : endOffset / BytesPerPercent + 1;
}

}  // namespace rules
