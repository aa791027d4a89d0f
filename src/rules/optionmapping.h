#pragma once

#include <cstdint>
#include <optional>

namespace rules {

// Log recording modes sit in the radio groups in the order "全て記録", "発信のみ", "着信のみ",
// "記録無し", which is not the order of their values (3, 1, 2, 0).

// The item showing a log mode; nothing for a value outside 0 to 3.
std::optional<int> logModeItem(int32_t mode);
// The log mode of an item; nothing when no item (or an unknown one) is selected.
std::optional<int32_t> logModeOfItem(int item);

}  // namespace rules
