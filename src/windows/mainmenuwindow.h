#pragma once

#include <QPushButton>

#include "db/calllogtable.h"
#include "db/phonebooktable.h"
#include "windows/windowbase.h"

class QAction;
class QFrame;
class QMenu;
class QMenuBar;

// The main menu window: six command buttons, the same commands in its menu bar, the help menu,
// and a pop-up menu that switches to the compact menu.
class MainMenuWindow : public WindowBase {
    Q_OBJECT
public:
    MainMenuWindow(WindowContext& context, db::CallLogTable& callLog,
                   db::PhoneBookTable& phoneBook);
    ~MainMenuWindow() override;

    // Menu commands, shared by the buttons, the menu bar and the compact menu.
    void callLogClicked();
    void phoneBookClicked();
    void dialClicked();
    void chargesClicked();
    void optionsClicked();
    void exitClicked();
    void compactMenuClicked();

    // The run's tables.
    db::CallLogTable& callLogTable;
    db::PhoneBookTable& phoneBookTable;

    QFrame* menuBarRule = nullptr;
    QPushButton* callLogButton = nullptr;
    QPushButton* phoneBookButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* chargesButton = nullptr;
    QPushButton* optionsButton = nullptr;
    QPushButton* exitButton = nullptr;
    QMenuBar* mainMenuBar = nullptr;
    QAction* callLogAction = nullptr;
    QAction* phoneBookAction = nullptr;
    QAction* dialAction = nullptr;
    QAction* chargesAction = nullptr;
    QAction* backgroundAction = nullptr;  // "常駐と自動受信"
    QAction* storeAction = nullptr;       // "データの保存先"
    QAction* archiveAction = nullptr;     // "通話履歴"
    QAction* restoreAction = nullptr;
    QAction* exitAction = nullptr;
    QAction* optionsAction = nullptr;
    QMenu* contextMenu = nullptr;
    QAction* compactMenuAction = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildWindow();
    QPushButton* addCommandButton(const QString& caption, int command, int top);
};
