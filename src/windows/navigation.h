#pragma once

#include <QString>
#include <cstdint>

// Which window comes back when another closes, and which one a command opens: decided in one
// place, so that no window has to know another.
class Navigation {
public:
    enum class MenuCommand { CallLog, PhoneBook, Dial, Charges, Options };
    // The window the dial pad was opened from; the record editor's dial returns to where the
    // editor was opened from.
    enum class Opener { Menu, CallLog, PhoneBook, Archive, RecordEditor };
    // The commands of the icon in the notification area.
    enum class TrayCommand { FetchNow, CallLog, Archive, PhoneBook, Settings, Exit };

    virtual ~Navigation() = default;

    // The menu in use: the compact menu when compactMenuInUse is set, otherwise the main menu.
    virtual void showMenu() = 0;
    // The main menu window itself, whichever menu is in use.
    virtual void showMainMenu() = 0;
    virtual void useCompactMenu(bool compact) = 0;
    // A command of the main or compact menu: the menus hide and the command's window follows.
    virtual void runMenuCommand(MenuCommand command) = 0;
    // Closes the main menu window, as its title bar does.
    virtual void closeMainMenu() = 0;
    // The main menu window was closed: the run ends unless it stays resident in the notification
    // area.
    virtual void mainMenuClosed() = 0;
    // The menus' and the icon's 終了: the run ends, resident or not.
    virtual void exitProgram() = 0;
    // The window in use, else the menu, comes to the front.
    virtual void bringWindowInUseToFront() = 0;
    // A command of the icon in the notification area.
    virtual void runTrayCommand(TrayCommand command) = 0;
    // The window "常駐と自動受信"; closing it returns to the menu when opened from there.
    virtual void showBackgroundSettings() = 0;
    virtual void backgroundSettingsClosed() = 0;
    // The window "データの保存先"; closing it returns to the menu.
    virtual void showStoreSettings() = 0;
    virtual void storeSettingsClosed() = 0;

    virtual void showAbout() = 0;
    // Lists the backups of the phone book and the archive and puts the chosen one back after
    // asking.
    virtual void restoreFromBackup() = 0;
    virtual void showOptions() = 0;
    // Every other window is hidden while the port message shows; its OK leads to the options.
    virtual void showPortMessage() = 0;
    // The options-saved notice of the options window.
    virtual void showSaveNotice(bool shown) = 0;

    // Downloads the log again; the call log window comes back when the download fails.
    virtual void reloadCallLog() = 0;
    // The held image changed: the call log window converts it again.
    virtual void callLogChanged() = 0;
    virtual void openPhoneBook() = 0;
    // The record editor on the phone book record of a call log number, or on a new one.
    virtual void editLogCaller(const QString& number) = 0;
    // The record editor on a new record, or on the current one named name, from the phone book.
    virtual void newRecord() = 0;
    virtual void editRecord(const QString& name) = 0;
    // The archive window, opened from the menu or from the call log window (hidden by the caller);
    // closing it returns to the window that opened it.
    virtual void openArchive() = 0;
    virtual void archiveClosed() = 0;
    // The record editor on the phone book record of an archived call's number, or on a new one;
    // the archive window comes back when it closes.
    virtual void editArchiveCaller(const QString& number) = 0;
    // The dial pad, after the adapter's prologue, dialling number at once; closing it returns to
    // opener.
    virtual void openDialPad(Opener opener, const QString& number) = 0;
    // Back to where the dial pad or the record editor was opened from.
    virtual void returnToCaller() = 0;

    // The shared confirmation window asks about action with two lines.
    virtual void askConfirmation(int action, const QString& firstLine,
                                 const QString& secondLine) = 0;
    // The confirmation window closed: the window that asked takes over again.
    virtual void confirmationClosed(int action) = 0;
};
