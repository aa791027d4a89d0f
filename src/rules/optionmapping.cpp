#include "rules/optionmapping.h"

#include <array>

namespace rules {

namespace {
constexpr std::array<int32_t, 4> ModeOfItem = {3, 1, 2, 0};
}  // namespace

std::optional<int> logModeItem(int32_t mode) {
    for (int item = 0; item < static_cast<int>(ModeOfItem.size()); ++item) {
        if (ModeOfItem[static_cast<size_t>(item)] == mode) {
            return item;
        }
    }
    return std::nullopt;
}

std::optional<int32_t> logModeOfItem(int item) {
    if (item < 0 || item >= static_cast<int>(ModeOfItem.size())) {
        return std::nullopt;
    }
    return ModeOfItem[static_cast<size_t>(item)];
}

}  // namespace rules
