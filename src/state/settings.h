#pragma once

#include <cstdint>

namespace appstate {

// The eight values of the settings file. A value starts zeroed; the file's own start values
// are those of defaults().
struct Settings {
    int32_t comPort = 0;
    int32_t dialLine = 0;
    int32_t logModeTel1 = 0;
    int32_t logModeTel2 = 0;
    int32_t passwordCode = 0;
    int32_t passwordNumber = 0;
    int32_t clockDriftSetting = 0;
    int32_t adapterModel = 0;

    // What a missing key reads as.
    static constexpr Settings defaults() { return {1, 1, 3, 3, 0, 0, 99, 0}; }
};

}  // namespace appstate
