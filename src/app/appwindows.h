#pragma once

class MainMenuWindow;
class CallLogWindow;
class RecordEditor;
class PhoneBookWindow;
class OptionsWindow;
class DialPad;
class PasswordWindow;
class ConfirmationWindow;
class AboutWindow;
class ProgressWindow;
class PortMessageWindow;
class ChargesWindow;
class CompactMenuWindow;
class OptionsSavedWindow;
class ArchiveWindow;
class BackgroundSettingsWindow;
class StoreSettingsWindow;
class TrayIcon;

// The windows of the run, each created once at start and kept until the program ends.
struct AppWindows {
    MainMenuWindow* mainMenu = nullptr;
    CallLogWindow* callLog = nullptr;
    RecordEditor* recordEditor = nullptr;
    PhoneBookWindow* phoneBook = nullptr;
    OptionsWindow* options = nullptr;
    DialPad* dialPad = nullptr;
    PasswordWindow* password = nullptr;
    ConfirmationWindow* confirmation = nullptr;
    AboutWindow* about = nullptr;
    ProgressWindow* progress = nullptr;
    PortMessageWindow* portMessage = nullptr;
    ChargesWindow* charges = nullptr;
    CompactMenuWindow* compactMenu = nullptr;
    OptionsSavedWindow* optionsSaved = nullptr;
    ArchiveWindow* archive = nullptr;
    BackgroundSettingsWindow* backgroundSettings = nullptr;
    StoreSettingsWindow* storeSettings = nullptr;
    // The icon in the notification area; none where the desktop has no such area.
    TrayIcon* trayIcon = nullptr;
};
