#pragma once

#include <QPushButton>
#include <memory>

#include "app/tformbase.h"
#include "db/logtable.h"
#include "db/usertable.h"
#include "ui/ttimer.h"

class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class TForm16;

// The main menu window: six command buttons, the same commands in its menu bar, the help menu,
// and a pop-up menu that switches to the compact menu. It owns the two tables.
class TMain : public TFormBase {
    Q_OBJECT
public:
    explicit TMain(Application& app);
    ~TMain() override;

    // Shows the menu in use: the compact window when CompactMenu is 1, otherwise this window.
    void MenuShow();
    // Makes the reading the phone book's order.
    void UserListSort();
    // The call log's record filter, driven by LogFilterMode.
    bool LogTableFilterRecord(const db::LogRow& row) const;

    // Opens the port; when it cannot be used, shows the port message instead and answers false.
    [[nodiscard]] bool ComOpen();
    void ComClose();

    // Menu commands, shared by the buttons, the menu bar and the compact menu.
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void K7Click();

    db::LogTable LogTable;
    db::UserTable UserTable;
    ui::TTimer Timer1;

    QFrame* Bevel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QAction* K1 = nullptr;
    QAction* K2 = nullptr;
    QAction* K3 = nullptr;
    QAction* K4 = nullptr;
    QAction* K5 = nullptr;
    QAction* K6 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* K7 = nullptr;

    // The splash window while it shows; released when Timer1 fires.
    TForm16* splash() const { return splash_.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FormCreate();
    void Timer1Timer();
    void buildWindow();
    QPushButton* addCommandButton(const QString& caption, int command, int top);

    std::unique_ptr<TForm16> splash_;
};
