#include "app/navigator.h"

#include <QApplication>
#include <QLabel>
#include <initializer_list>

#include "app/application.h"
#include "app/commandjobrunner.h"
#include "app/storesetup.h"
#include "db/databaseerror.h"
#include "windows/aboutwindow.h"
#include "windows/archivewindow.h"
#include "windows/backgroundsettingswindow.h"
#include "windows/calllogwindow.h"
#include "windows/chargeswindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/confirmationwindow.h"
#include "windows/dialpad.h"
#include "windows/mainmenuwindow.h"
#include "windows/optionssavedwindow.h"
#include "windows/optionswindow.h"
#include "windows/passwordwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/portmessagewindow.h"
#include "windows/progresswindow.h"
#include "windows/recordeditor.h"
#include "windows/splashwindow.h"
#include "windows/storesettingswindow.h"

Navigator::Navigator(Application& app) : app_(app) {}

void Navigator::showMenu() {
    if (app_.state.compactMenuInUse) {
        app_.windows.compactMenu->show();
        app_.windows.compactMenu->raise();
    } else {
        app_.windows.mainMenu->show();
        app_.windows.mainMenu->raise();
    }
}

void Navigator::showMainMenu() {
    app_.windows.mainMenu->show();
}

void Navigator::useCompactMenu(bool compact) {
    app_.state.compactMenuInUse = compact;
    if (compact) {
        app_.windows.mainMenu->hide();
        app_.windows.compactMenu->show();
    } else {
        app_.windows.compactMenu->hide();
        app_.windows.mainMenu->show();
    }
}

void Navigator::leaveMenu() {
    app_.windows.mainMenu->hide();
    app_.windows.compactMenu->hide();
}

void Navigator::runMenuCommand(MenuCommand command) {
    appstate::ProgramState& s = app_.state;
    const bool usesAdapter = command == MenuCommand::Dial || command == MenuCommand::Charges ||
                             (command == MenuCommand::CallLog && s.logImage.isStale());
    if (usesAdapter && refusedWhileFetching(app_.windows.mainMenu)) {
        return;
    }
    leaveMenu();
    switch (command) {
        case MenuCommand::CallLog:
            if (s.logImage.isStale()) {
                downloadFromCallLog_ = false;
                app_.link.startDownload();
            } else {
                showConvertedCallLog();
            }
            break;
        case MenuCommand::PhoneBook:
            openPhoneBook();
            break;
        case MenuCommand::Dial:
            returnTo_ = Opener::Menu;
            app_.windows.dialPad->namePanel->clear();
            app_.link.openDialPadFromMenu();
            break;
        case MenuCommand::Charges:
            app_.link.readCharges();
            break;
        case MenuCommand::Options:
            showOptions();
            break;
    }
}

void Navigator::closeMainMenu() {
    app_.windows.mainMenu->close();
}

void Navigator::mainMenuClosed() {
    if (app_.residentInTray()) {
        leaveMenu();
        return;
    }
    app_.quit();
}

void Navigator::exitProgram() {
    leaveMenu();
    app_.quit();
}

bool Navigator::windowToFinishOpen() const {
    const AppWindows& w = app_.windows;
    // A quiet download shows no window but holds the port all the same.
    return app_.splash() || exchangeWindowOpen() || app_.link.download().inProgress() ||
           w.recordEditor->isVisible() || w.optionsSaved->isVisible();
}

void Navigator::runTrayCommand(TrayCommand command) {
    if (command == TrayCommand::Exit) {
        exitProgram();
        return;
    }
    if (command == TrayCommand::FetchNow) {
        app_.backgroundFetch().fetchNow();
        return;
    }
    if (windowToFinishOpen()) {
        bringWindowInUseToFront();
        return;
    }
    if (command == TrayCommand::Settings) {
        showBackgroundSettings();
        return;
    }
    // The command's window takes the place of the main windows on screen.
    leaveMainWindows();
    switch (command) {
        case TrayCommand::CallLog:
            runMenuCommand(MenuCommand::CallLog);
            break;
        case TrayCommand::Archive:
            openArchive();
            break;
        case TrayCommand::PhoneBook:
            runMenuCommand(MenuCommand::PhoneBook);
            break;
        default:
            break;
    }
}

void Navigator::showBackgroundSettings() {
    const AppWindows& w = app_.windows;
    backgroundSettingsFromMenu_ = w.mainMenu->isVisible() || w.compactMenu->isVisible();
    leaveMenu();
    w.backgroundSettings->showSettings(app_.backgroundSettings(), app_.trayAvailable());
}

void Navigator::showStoreSettings() {
    leaveMenu();
    app_.windows.storeSettings->showSettings(loadStoreSettings(app_.settingsPath()),
                                             defaultLineName());
}

void Navigator::storeSettingsClosed() {
    showMenu();
}

void Navigator::backgroundSettingsClosed() {
    // Without the icon the menu is the only way back into the run.
    if (backgroundSettingsFromMenu_ || !app_.residentInTray()) {
        showMenu();
    }
}

void Navigator::showAbout() {
    app_.windows.about->show();
    app_.windows.about->raise();
}

void Navigator::restoreFromBackup() {
    ui::Dialogs& dialogs = app_.services.dialogs;
    QWidget* parent = app_.windows.mainMenu;
    // The files' backups would go back beside tables this run does not use.
    if (app_.phoneBookTable.onServer() || app_.callArchive.onServer()) {
        dialogs.messageBox(parent,
                           QStringLiteral("電話帳と通話履歴はサーバーにあります。サーバーのバック"
                                          "アップは pg_restore で戻してください。"),
                           ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Information);
        return;
    }
    struct Choice {
        db::BackupKind kind;
        QString path;
    };
    QList<Choice> choices;
    QStringList items;
    for (const db::BackupKind kind : {db::BackupKind::PhoneBook, db::BackupKind::Archive}) {
        const QString what = kind == db::BackupKind::PhoneBook ? QStringLiteral("電話帳")
                                                               : QStringLiteral("通話履歴");
        for (const db::BackupFile& file : app_.backups.list(kind)) {
            choices.append({kind, file.path});
            items << QStringLiteral("%1　%2　%3 件")
                         .arg(what, file.takenAt.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")))
                         .arg(db::TableBackups::recordCount(kind, file.path));
        }
    }
    if (items.isEmpty()) {
        dialogs.messageBox(parent, QStringLiteral("バックアップがありません。"),
                           ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Information);
        return;
    }
    const int chosen =
        dialogs.chooseItem(parent, QStringLiteral("バックアップから戻す"),
                           QStringLiteral("戻すバックアップを選んでください。"), items);
    if (chosen < 0 ||
        dialogs.messageBox(parent,
                           QStringLiteral("%1 を戻しますか？\n今の表もバックアップとして残します。")
                               .arg(items[chosen]),
                           ui::applicationTitle(), ui::MsgButtons::YesNo,
                           ui::MsgIcon::Question) != ui::MsgResult::Yes) {
        return;
    }
    app_.restoreBackup(choices[chosen].kind, choices[chosen].path);
}

void Navigator::showOptions() {
    app_.windows.options->showOptions();
}

void Navigator::showPortMessage() {
    app_.windows.portMessage->show();
}

void Navigator::showSaveNotice(bool shown) {
    app_.windows.optionsSaved->setVisible(shown);
}

void Navigator::reloadCallLog() {
    if (refusedWhileFetching(app_.windows.callLog)) {
        return;
    }
    downloadFromCallLog_ = true;
    app_.link.startDownload();
}

void Navigator::returnAfterFailedDownload() {
    if (downloadFromCallLog_) {
        app_.windows.callLog->show();
        app_.windows.callLog->raise();
    } else {
        showMenu();
    }
}

void Navigator::callLogChanged() {
    const rules::LogImportResult result = app_.logImport.importHeld();
    app_.windows.callLog->showTotals(result);
    // The asking window tells the failure and stays open.
    if (!result.error.isEmpty()) {
        throw db::DatabaseError(result.error);
    }
}

void Navigator::showConvertedCallLog() {
    CallLogWindow* callLog = app_.windows.callLog;
    app_.guarded([this, callLog] { callLog->showImport(app_.logImport.importHeld()); });
    callLog->show();
    callLog->raise();
}

void Navigator::openPhoneBook() {
    app_.windows.callLog->hide();
    app_.windows.phoneBook->showPhoneBook();
}

void Navigator::editLogCaller(const QString& number) {
    if (app_.windows.recordEditor->editLogCaller(number)) {
        returnTo_ = Opener::CallLog;
        app_.windows.callLog->hide();
    }
}

void Navigator::newRecord() {
    app_.windows.recordEditor->editNew();
    returnTo_ = Opener::PhoneBook;
}

void Navigator::editRecord(const QString& name) {
    // A dial started from the editor shows the name at once.
    app_.windows.dialPad->namePanel->setText(name);
    app_.windows.recordEditor->editCurrent();
    returnTo_ = Opener::PhoneBook;
}

void Navigator::openArchive() {
    archiveFromCallLog_ = app_.windows.callLog->isVisible();
    leaveMenu();
    app_.windows.callLog->hide();
    app_.windows.archive->showArchive();
}

void Navigator::archiveClosed() {
    if (archiveFromCallLog_) {
        app_.windows.callLog->show();
        app_.windows.callLog->raise();
    } else {
        showMenu();
    }
}

void Navigator::showCallsBetween(qint64 from, qint64 to) {
    if (windowToFinishOpen()) {
        bringWindowInUseToFront();
        return;
    }
    leaveMainWindows();
    archiveFromCallLog_ = false;
    app_.windows.archive->showCallsBetween(from, to);
}

void Navigator::askToClearAdapterLog() {
    if (windowToFinishOpen()) {
        bringWindowInUseToFront();
        return;
    }
    leaveMainWindows();
    runMenuCommand(MenuCommand::CallLog);
    if (!app_.state.logImage.isStale()) {
        app_.windows.callLog->clearLogClicked();
    }
}

void Navigator::leaveMainWindows() {
    // Closed rather than hidden, so that the archive window lets go of a download's calls.
    if (app_.windows.archive->isVisible()) {
        app_.windows.archive->close();
    }
    leaveMenu();
    app_.windows.callLog->hide();
    app_.windows.phoneBook->hide();
}

void Navigator::editArchiveCaller(const QString& number) {
    if (app_.windows.recordEditor->editLogCaller(number)) {
        returnTo_ = Opener::Archive;
        app_.windows.archive->hide();
    }
}

void Navigator::openDialPad(Opener opener, const QString& number) {
    // The editor's dial returns to where the editor was opened from.
    if (refusedWhileFetching(QApplication::activeWindow())) {
        return;
    }
    if (opener != Opener::RecordEditor) {
        returnTo_ = opener;
    }
    app_.link.prepareDial(1, number);
}

void Navigator::returnToCaller() {
    returnTo(returnTo_);
}

void Navigator::returnTo(Opener opener) {
    switch (opener) {
        case Opener::CallLog:
            app_.phoneBookTable.setIndex(db::PhoneBookTable::Index::Yomi);
            if (app_.state.logImage.isStale()) {
                // The download shows the call log window when it completes.
                downloadFromCallLog_ = false;
                app_.link.startDownload();
            } else {
                showConvertedCallLog();
            }
            break;
        case Opener::PhoneBook:
            app_.windows.phoneBook->show();
            app_.windows.phoneBook->raise();
            break;
        case Opener::Archive:
            app_.phoneBookTable.setIndex(db::PhoneBookTable::Index::Yomi);
            app_.windows.archive->showArchive();
            break;
        default:
            showMenu();
            break;
    }
}

void Navigator::askConfirmation(int action, const QString& firstLine, const QString& secondLine) {
    if (refusedWhileFetching(QApplication::activeWindow())) {
        return;
    }
    app_.windows.confirmation->ask(action, firstLine, secondLine);
}

void Navigator::confirmationClosed(int action) {
    switch (action) {
        case appstate::confirmaction::DeleteRecord:
            app_.windows.phoneBook->setEnabled(true);
            break;
        case appstate::confirmaction::ClearAdapterLog:
            app_.windows.callLog->setEnabled(true);
            break;
        case appstate::confirmaction::ChangePassword:
            showMenu();
            break;
        case appstate::confirmaction::ResetTel1:
        case appstate::confirmaction::ResetTel2:
        case appstate::confirmaction::ResetDigital:
            app_.windows.charges->setEnabled(true);
            break;
        default:
            break;
    }
}

void Navigator::bringWindowInUseToFront() {
    const AppWindows& w = app_.windows;
    QWidget* inUse =
        app_.splash() ? static_cast<QWidget*>(app_.splash()) : QApplication::activeModalWidget();
    // The windows that open over others come first.
    for (QWidget* window : std::initializer_list<QWidget*>{
             w.password, w.progress, w.confirmation, w.portMessage, w.optionsSaved, w.recordEditor,
             w.dialPad, w.options, w.charges, w.about, w.backgroundSettings, w.storeSettings,
             w.archive, w.phoneBook, w.callLog, w.compactMenu, w.mainMenu}) {
        if (!inUse && window && window->isVisible()) {
            inUse = window;
        }
    }
    if (!inUse) {
        showMenu();
        inUse = app_.state.compactMenuInUse ? static_cast<QWidget*>(w.compactMenu)
                                            : static_cast<QWidget*>(w.mainMenu);
    }
    if (inUse) {
        inUse->setWindowState((inUse->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        inUse->raise();
        inUse->activateWindow();
    }
}

bool Navigator::refusedWhileFetching(QWidget* parent) {
    if (!app_.backgroundFetch().running()) {
        return false;
    }
    app_.services.dialogs.messageBox(parent, adapterBusyMessage(), ui::applicationTitle(),
                                     ui::MsgButtons::Ok, ui::MsgIcon::Information);
    return true;
}

bool Navigator::exchangeWindowOpen() const {
    const AppWindows& w = app_.windows;
    for (const QWidget* window :
         std::initializer_list<const QWidget*>{w.progress, w.password, w.dialPad, w.options,
                                               w.confirmation, w.charges, w.portMessage}) {
        if (window && window->isVisible()) {
            return true;
        }
    }
    return false;
}

void Navigator::showHandedOverDownload(const rules::LogImportResult& result) {
    if (app_.windows.callLog && app_.windows.callLog->isVisible()) {
        app_.windows.callLog->showTotals(result);
    }
    if (app_.windows.archive && app_.windows.archive->isVisible()) {
        app_.windows.archive->refreshRows();
    }
}
