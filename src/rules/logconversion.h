#pragma once

#include <QString>
#include <cstdint>

#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "protocol/logimage.h"

namespace appstate {
struct ProgramState;
}

// What one log entry becomes in the call log table, apart from the name from the phone book.
namespace rules {

// The adapter's clock as the last download read it, and its drift setting.
struct ClockSettings {
    int32_t adapterClockSeconds = 0;
    int32_t clockDriftSetting = 99;  // seconds per hour, plus 99
    int32_t clockDifference = 0;
};
ClockSettings clockSettingsOf(const appstate::ProgramState& state);

// Moves an adapter time by the drift of each whole hour between it and the adapter's clock.
int32_t driftCorrected(int32_t seconds, const ClockSettings& clock);

QString durationText(int32_t seconds);  // "hh:mm:ss"
QString chargeText(uint16_t charge);    // "80 円", or "---" for none
// Number and sub-number joined by "*", in look-up form.
QString numberText(const protocol::LogEntry& entry);

struct ConvertedEntry {
    db::LogRow row;  // every field but the name
    // A message recorded while nobody answered: its caller's record keeps its last call.
    bool answeringMachine = false;
    // The moment CallTime shows, on the adapter's scale and the PC's clock.
    int32_t moment = 0;
};
ConvertedEntry convertLogEntry(const protocol::LogEntry& entry, int rowNumber,
                               const ClockSettings& clock);

// The call as the archive keeps it: the converted row and the values that identify the entry.
db::ArchivedCall archivedCallOf(const protocol::LogEntry& entry, const ConvertedEntry& converted);

QString totalChargeText(int total);  // "123 円 "
QString entryCountText(int count);   // "12 件"
// Percent of the log area used, 30 bytes a percent; 0 for an empty log.
int memoryGaugeValue(int count, int endOffset);

}  // namespace rules
