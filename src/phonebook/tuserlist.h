#pragma once

#include <functional>
#include <optional>

#include "app/tformbase.h"
#include "db/usertable.h"

class QAction;
class QMenu;
class QModelIndex;
class QPushButton;
class QTableView;

// The phone book list: the records in a read-only grid ordered by reading, from which the user
// opens, creates, deletes and dials records. The grid's current row is the phone book's current
// record.
class TUserList : public TFormBase {
    Q_OBJECT
public:
    explicit TUserList(Application& app);

    // Opening from the menus: the phone book ordered by reading, the call log window hidden.
    void UserListShow();

    void BitBtn1Click();  // new
    void BitBtn2Click();  // edit
    void BitBtn3Click();  // delete
    void BitBtn4Click();  // dial
    void BitBtn5Click();  // close
    void DBGrid1DblClick();

    QTableView* DBGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;  // edit
    QAction* N2 = nullptr;  // new
    QAction* N3 = nullptr;  // delete
    QAction* N4 = nullptr;  // dial
    QAction* N5 = nullptr;  // close

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    QPushButton* addButton(const QString& caption, int left);
    // A handler whose table errors reach the general error message instead of the event loop.
    std::function<void()> guarded(void (TUserList::*handler)());
    void layoutGrid();
    // Selects the grid row of the phone book's current record.
    void showCurrent();
    void gridRowChanged(const QModelIndex& current);
    // The record under the cursor; the first one when none is current yet.
    std::optional<db::UserRecord> selectedRecord();

    db::UserTable& table;
    int laidOutColumns_ = -1;
};
