#pragma once

#include "ui/dialogs.h"
#include "ui/help.h"
#include "ui/intervaltimer.h"
#include "ui/wallclock.h"

namespace ui {

// What window logic needs of the platform; the program hands in Qt's, tests their own.
struct UiServices {
    TimerBackend& timers;
    Dialogs& dialogs;
    HelpViewer& help;
    const WallClock& wallClock;
};

}  // namespace ui
