#pragma once

namespace appstate {

// How Tilka keeps watch while nobody looks: the icon in the notification area, the download on a
// schedule, the desktop notifications and the guard of the adapter's log memory.
struct BackgroundSettings {
    // Stays in the notification area; closing a window does not end the run.
    bool resident = false;
    // Minutes between two quiet downloads; 0 switches the schedule off.
    int fetchMinutes = 30;
    // Tells about new calls and a filling log memory.
    bool notify = true;
    // How full the adapter's log memory may get, in percent, before the user is warned.
    int fullPercent = 80;
    // Clears the adapter's log right after a download whose every call reached the archive.
    bool clearWhenArchived = false;
    // Starts in the background when the user logs in.
    bool autostart = false;
};

}  // namespace appstate
