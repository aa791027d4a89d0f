#pragma once

#include <cstdint>

class Application;

namespace calllog {

// Brings back the window that opened the record editor or the dial pad, by DialCaller: the call
// log window (converting the held log again, or downloading it when none is held), the phone
// book list, or else the menu.
void returnToCaller(Application& app, uint8_t code);

}  // namespace calllog
