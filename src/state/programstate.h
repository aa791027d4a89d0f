#pragma once

#include <array>
#include <cstdint>

#include "state/heldlogimage.h"
#include "state/shortstring.h"

// The values of the run that the windows and the exchanges share: the settings, what the last
// download read, the held log image and the dial's redial list. It starts zeroed; start-up gives
// the members their start values before the first window.
struct ProgramState {
    static constexpr int RedialSlots = 21;

    // Settings, loaded from the settings file.
    int32_t ComPort = 0;
    int32_t DialLine = 0;
    int32_t LogModeTel1 = 0;
    int32_t LogModeTel2 = 0;
    int32_t PasswordCode = 0;
    int32_t passwordNumber = 0;
    int32_t clockDriftSetting = 0;
    int32_t adapterModel = 0;

    // Device link and exchanges with the adapter.
    bool adapterIdentified = false;
    bool DialInProgress = false;
    HeldLogImage logImage;
    int32_t PcClockSeconds = 0;
    int32_t HgClockSeconds = 0;
    int32_t ClockDifference = 0;
    int32_t EnteredPasswordCode = 0;
    int32_t NewPasswordCode = 0;

    // Dialling.
    ShortString<20> DialNumber;
    std::array<ShortString<30>, RedialSlots> RedialList{};
    int32_t RedialCount = 0;
    bool ContinuousDial = false;
    uint8_t DialCaller = 0;

    // Display.
    bool compactMenuInUse = false;
    int32_t LogFilterMode = 0;
};

// Values of DialCaller: the window to return to when the dial pad or the record editor closes.
namespace dialcaller {
constexpr uint8_t Menu = 1;
constexpr uint8_t CallLog = 2;
constexpr uint8_t PhoneBook = 4;
constexpr uint8_t Archive = 8;
}  // namespace dialcaller

// The actions the confirmation window carries out on yes.
namespace confirmaction {
constexpr int DeleteRecord = 1;
constexpr int ClearAdapterLog = 2;
constexpr int ChangePassword = 5;
constexpr int ResetTel1 = 6;
constexpr int ResetTel2 = 7;
constexpr int ResetDigital = 8;
}  // namespace confirmaction
