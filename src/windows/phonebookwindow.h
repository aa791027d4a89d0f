#pragma once

#include <functional>
#include <optional>

#include "db/pagedrowsmodel.h"
#include "db/phonebooktable.h"
#include "db/tablebackups.h"
#include "state/programstate.h"
#include "ui/dialogs.h"
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
    PhoneBookWindow(WindowContext& context, db::PhoneBookTable& phoneBook,
                    appstate::ProgramState& state, const db::TableBackups& backups);

    // Opening from the menus: the phone book ordered by reading, the call log window hidden.
    void showPhoneBook();

    void newClicked();        // new
    void editClicked();       // edit
    void deleteClicked();     // delete
    void dialClicked();       // dial
    void closeClicked();      // close
    void csvExportClicked();  // "CSV出力": every record to a CSV file
    void printClicked();      // "印刷(&P)": every record, in the print preview
    void gridDoubleClicked();
    // Takes the records of a vCard or CSV file into the phone book.
    void importClicked();
    // Writes all records, or the selected ones, to a vCard file.
    void vCardExportClicked();

    QTableView* grid = nullptr;
    QPushButton* newButton = nullptr;
    QPushButton* editButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* importButton = nullptr;
    QPushButton* vCardExportButton = nullptr;
    QPushButton* csvExportButton = nullptr;
    QPushButton* printButton = nullptr;
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
    appstate::ProgramState& state_;
    const db::TableBackups& backups_;
    void buildWindow();
    QPushButton* addButton(const QString& caption, int left);
    // A handler whose table errors reach the general error message instead of the event loop.
    std::function<void()> guarded(void (PhoneBookWindow::*handler)());
    void layoutGrid();
    void message(const QString& text, ui::MsgIcon icon);
    // Selects the grid row of the phone book's current record. With topName, the record that was
    // at the top of the grid before the list was read anew is put there again when it is still
    // there, so that a change elsewhere does not move the user's place.
    void showCurrent(const QString& topName = {});
    void gridRowChanged(const QModelIndex& current);
    // The record under the cursor; the first one when none is current yet.
    std::optional<db::UserRecord> selectedRecord();
    // Edit and delete act on the record at the cursor: the highlight shows just that one.
    void selectOnlyCurrent();

    db::PhoneBookTable& table;
    int laidOutColumns_ = -1;
    QString topName_;  // the record at the top of the grid while the list is read anew
};
