#pragma once

#include "rules/logimport.h"
#include "windows/navigation.h"

class Application;
class QWidget;

// Decides which window comes back when another closes, and opens the window a command asks for.
class Navigator : public Navigation {
public:
    explicit Navigator(Application& app);

    void showMenu() override;
    void showMainMenu() override;
    void useCompactMenu(bool compact) override;
    void runMenuCommand(MenuCommand command) override;
    void closeMainMenu() override;
    void mainMenuClosed() override;
    void exitProgram() override;
    void runTrayCommand(TrayCommand command) override;
    void showBackgroundSettings() override;
    void backgroundSettingsClosed() override;
    void showStoreSettings() override;
    void storeSettingsClosed() override;
    void showAbout() override;
    void restoreFromBackup() override;
    void showOptions() override;
    void showPortMessage() override;
    void showSaveNotice(bool shown) override;
    void reloadCallLog() override;
    void callLogChanged() override;
    void openPhoneBook() override;
    void editLogCaller(const QString& number) override;
    void newRecord() override;
    void editRecord(const QString& name) override;
    void openArchive() override;
    void archiveClosed() override;
    void editArchiveCaller(const QString& number) override;
    void openDialPad(Opener opener, const QString& number) override;
    void returnToCaller() override;
    // Back to opener, as the dial pad or the record editor does on closing.
    void returnTo(Opener opener);
    // Where the dial pad and the record editor return to.
    Opener returnsTo() const { return returnTo_; }
    void askConfirmation(int action, const QString& firstLine, const QString& secondLine) override;
    void confirmationClosed(int action) override;

    // A download failed: the window it started from comes back.
    void returnAfterFailedDownload();
    // A second start of the program or a click on the icon: the window in use, else the menu,
    // comes to the front.
    void bringWindowInUseToFront() override;
    // The archive window showing only the calls with moments from from to to, both included,
    // unless a window that must be finished first is open.
    void showCallsBetween(qint64 from, qint64 to);
    // The call log window asking, as its "LOG 削除" does, whether to clear the adapter's log;
    // a stale log is downloaded first and the user asks from the window.
    void askToClearAdapterLog();
    // Whether a window that starts or follows an exchange with the adapter is open.
    bool exchangeWindowOpen() const;
    // A download handed over from the command line or done quietly took in new rows: the call
    // log and archive windows on screen show them.
    void showHandedOverDownload(const rules::LogImportResult& result);

private:
    // Converts the held image and shows the call log window; a failed conversion is told and
    // the rows written so far are still shown.
    void showConvertedCallLog();
    void leaveMenu();
    // Hides the menus and the call log, phone book and archive windows, for a window opened from
    // outside them.
    void leaveMainWindows();
    // Whether a window is open that the user must finish, or a download runs that must end,
    // before a window opens from outside the menus.
    bool windowToFinishOpen() const;
    // A quiet download holds the adapter: the user is told so over parent and nothing starts.
    bool refusedWhileFetching(QWidget* parent);

    Application& app_;
    // Whether the running download was started from the call log window.
    bool downloadFromCallLog_ = false;
    // Whether the archive window was opened from the call log window.
    bool archiveFromCallLog_ = false;
    // Where the dial pad and the record editor return to when they close.
    Opener returnTo_ = Opener::Menu;
    // Whether the settings window "常駐と自動受信" was opened from a menu.
    bool backgroundSettingsFromMenu_ = false;
};
