// Feeds arbitrary bytes to the log image decoder and the conversion of its entries, as a
// history file of any content would. Input: up to 4001 bytes of image; 12 more bytes, when
// present, give the adapter's clock, its drift setting and the clock difference.
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "protocol/logimage.h"
#include "protocol/secondsscale.h"
#include "rules/logconversion.h"
#include "rules/logtexts.h"
#include "rules/telnumber.h"
#include "ui/sjis.h"

namespace {

constexpr size_t ImageSize = 4001;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

int32_t int32At(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v = (v << 8) | p[i];
    }
    return static_cast<int32_t>(v);
}

bool onlyDialChars(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'#' || c == u'*'; });
}

void checkEntry(const protocol::LogEntry& e, int rowNumber, const rules::ClockSettings& clock) {
    require(e.offset >= 0 && e.offset <= protocol::LastEntryOffset);
    require(e.size >= 14 && e.size <= 56);
    require(e.number.size() <= protocol::MaxNumberLength);
    require(e.subNumber.size() <= protocol::MaxSubNumberLength);
    const rules::ConvertedEntry c = rules::convertLogEntry(e, rowNumber, clock);
    require(c.row.logNo == QString::number(rowNumber));
    require(c.row.ports.isEmpty() ||
            std::find(rules::PortColumnTexts.begin(), rules::PortColumnTexts.end(), c.row.ports) !=
                rules::PortColumnTexts.end());
    require(c.answeringMachine
                ? c.row.kind == rules::AnsweringMachineText
                : std::find(rules::KindColumnTexts.begin(), rules::KindColumnTexts.end(),
                            c.row.kind) != rules::KindColumnTexts.end());
    require(onlyDialChars(c.row.number) && c.row.number.size() <= 45);
    require(!c.row.duration.isEmpty() && c.row.callTime.size() >= 11);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::array<uint8_t, ImageSize> image{};
    std::memcpy(image.data(), data, std::min(size, ImageSize));
    rules::ClockSettings clock{1000000, 99, 36000000};
    if (size >= ImageSize + 12) {
        clock = {int32At(data + ImageSize), int32At(data + ImageSize + 4),
                 int32At(data + ImageSize + 8)};
    }

    const protocol::DecodedLog log = protocol::decodeLogImage(image);
    require(log.entries.size() <= protocol::MaxLogEntries);
    int offset = 0;
    for (size_t i = 0; i < log.entries.size(); ++i) {
        require(log.entries[i].offset == offset);
        checkEntry(log.entries[i], static_cast<int>(i) + 1, clock);
        offset += log.entries[i].size;
    }
    require(log.endOffset == offset && log.endOffset <= protocol::LastEntryOffset + 56);
    const int gauge = rules::memoryGaugeValue(static_cast<int>(log.entries.size()), offset);
    require(gauge >= 0 && gauge <= 103);

    // The number routines on the same bytes taken as typed Shift-JIS text.
    const QByteArray typed(reinterpret_cast<const char*>(data),
                           static_cast<qsizetype>(std::min<size_t>(size, 300)));
    const QString text = ui::sjis::toUnicode(typed);
    require(rules::normalizeNumber(text).size() <= 255);
    require(onlyDialChars(rules::lookupDigits(text)));
    return 0;
}
