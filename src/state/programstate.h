#pragma once

#include <array>
#include <cstdint>

#include "state/heldlogimage.h"
#include "state/settings.h"
#include "state/shortstring.h"

namespace appstate {

// The values of the run that the windows and the exchanges share: the settings, what the last
// download read, the held log image and the dial's redial list. It starts zeroed; start-up gives
// the members their start values before the first window.
struct ProgramState {
    static constexpr int RedialSlots = 21;

    // Loaded from the settings file.
    Settings settings;

    // Device link and exchanges with the adapter.
    bool adapterIdentified = false;
    bool dialInProgress = false;
    HeldLogImage logImage;
    int32_t pcClockSeconds = 0;
    int32_t hgClockSeconds = 0;
    int32_t clockDifference = 0;
    int32_t enteredPasswordCode = 0;
    int32_t newPasswordCode = 0;

    // Dialling.
    ShortString<20> dialNumber;
    std::array<ShortString<30>, RedialSlots> redialList{};
    int32_t redialCount = 0;
    bool continuousDial = false;

    // Display.
    bool compactMenuInUse = false;
    int32_t logFilterMode = 0;
};

// The actions the confirmation window carries out on yes.
namespace confirmaction {
constexpr int DeleteRecord = 1;
constexpr int ClearAdapterLog = 2;
constexpr int ChangePassword = 5;
constexpr int ResetTel1 = 6;
constexpr int ResetTel2 = 7;
constexpr int ResetDigital = 8;
}  // namespace confirmaction

}  // namespace appstate
