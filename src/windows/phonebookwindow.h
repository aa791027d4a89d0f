#pragma once

#include <functional>
#include <optional>

#include "db/phonebooktable.h"
#include "windows/windowbase.h"

class QAction;
class QMenu;
class QModelIndex;
class QPushButton;
class QTableView;

// The phone book list: the records in a read-only grid ordered by reading, from which the user
// opens, creates, deletes and dials records. The grid's current row is the phone book's current
// record.
class PhoneBookWindow : public WindowBase {
    Q_OBJECT
public:
    explicit PhoneBookWindow(WindowContext& app);

    // Opening from the menus: the phone book ordered by reading, the call log window hidden.
    void showPhoneBook();

    void newClicked();     // new
    void editClicked();    // edit
    void deleteClicked();  // delete
    void dialClicked();    // dial
    void closeClicked();   // close
    void exportClicked();  // "CSV出力": every record to a CSV file
    void gridDoubleClicked();

    QTableView* grid = nullptr;
    QPushButton* newButton = nullptr;
    QPushButton* editButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* exportButton = nullptr;
    QMenu* contextMenu = nullptr;
    QAction* editAction = nullptr;    // edit
    QAction* newAction = nullptr;     // new
    QAction* deleteAction = nullptr;  // delete
    QAction* dialAction = nullptr;    // dial
    QAction* closeAction = nullptr;   // close

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    QPushButton* addButton(const QString& caption, int left);
    // A handler whose table errors reach the general error message instead of the event loop.
    std::function<void()> guarded(void (PhoneBookWindow::*handler)());
    void layoutGrid();
    // Selects the grid row of the phone book's current record.
    void showCurrent();
    void gridRowChanged(const QModelIndex& current);
    // The record under the cursor; the first one when none is current yet.
    std::optional<db::UserRecord> selectedRecord();

    db::PhoneBookTable& table;
    int laidOutColumns_ = -1;
};
