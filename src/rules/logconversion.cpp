#include "rules/logconversion.h"

#include "protocol/int32wrap.h"
#include "protocol/secondsscale.h"
#include "rules/logtexts.h"
#include "rules/telnumber.h"
#include "state/programstate.h"

namespace calllog {
namespace {

constexpr int32_t NoDrift = 99;
constexpr int BytesPerPercent = 30;

QString padded(int32_t value, const QString& prefix) {
    return prefix + (value < 10 ? QStringLiteral("0") : QString()) + QString::number(value);
}

}  // namespace

ClockSettings clockSettingsOf(const ProgramState& state) {
    return {state.HgClockSeconds, state.clockDriftSetting, state.ClockDifference};
}

int32_t driftCorrected(int32_t seconds, const ClockSettings& clock) {
    const int32_t hours = sub32(clock.adapterClockSeconds, seconds) / 3600;
    return add32(seconds, mul32(hours, sub32(clock.clockDriftSetting, NoDrift)));
}

QString durationText(int32_t d) {
    const int32_t hours = d / 3600;
    const int32_t minutes = sub32(d / 60, mul32(hours, 60));
    const int32_t seconds = sub32(sub32(d, mul32(minutes, 60)), mul32(hours, 3600));
    return padded(hours, QString()) + padded(minutes, QStringLiteral(":")) +
           padded(seconds, QStringLiteral(":"));
}

QString chargeText(uint16_t charge) {
    return charge > 0 ? QString::number(charge) + QStringLiteral(" 円") : QStringLiteral("---");
}

QString numberText(const LogEntry& entry) {
    QString text = QString::fromLatin1(entry.number);
    if (!entry.subNumber.isEmpty()) {
        text += u'*' + QString::fromLatin1(entry.subNumber);
    }
    return lookupDigits(text);
}

ConvertedEntry convertLogEntry(const LogEntry& entry, int rowNumber, const ClockSettings& clock) {
    int32_t start = entry.startSeconds;
    int32_t end = entry.endSeconds;
    if (start > 0) {
        start = driftCorrected(start, clock);
        end = driftCorrected(end, clock);
    }
    ConvertedEntry c;
    db::LogRow& row = c.Row;
    row.LogNo = QString::number(rowNumber);
    row.Ports = PortText(entry.portSet);
    row.Charge = chargeText(entry.charge);
    row.Number = numberText(entry);
    c.AnsweringMachine = entry.startSeconds == 0;
    if (c.AnsweringMachine) {
        row.Kind = AnsweringMachineText;
        row.Duration = QStringLiteral("留守中");
        c.Moment = add32(clock.clockDifference, end);
        row.CallTime = timeText(c.Moment);
    } else {
        row.Kind = KindText(entry.callKind);
        row.Duration = durationText(sub32(end, start));
        c.Moment = add32(clock.clockDifference, start);
        row.CallTime = timeText(c.Moment);
    }
    return c;
}

db::ArchivedCall archivedCallOf(const LogEntry& entry, const ConvertedEntry& converted) {
    db::ArchivedCall call;
    call.Row = converted.Row;
    call.StartSeconds = entry.startSeconds;
    call.PortSet = entry.portSet;
    call.CallKind = entry.callKind;
    call.Number = QString::fromLatin1(entry.number);
    if (!entry.subNumber.isEmpty()) {
        call.Number += u'*' + QString::fromLatin1(entry.subNumber);
    }
    call.DurationSeconds = sub32(entry.endSeconds, entry.startSeconds);
    call.Charge = entry.charge;
    call.Moment = converted.Moment;
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

}  // namespace calllog
