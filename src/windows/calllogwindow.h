#pragma once

#include "db/calllogtable.h"
#include "rules/logimport.h"
#include "state/programstate.h"
#include "windows/windowbase.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
namespace ui {
class Gauge;
}

// The call log window: the rows of the call log table with the total charge, the number of
// entries and how full the adapter's log memory is.
class CallLogWindow : public WindowBase {
    Q_OBJECT
public:
    CallLogWindow(WindowContext& context, db::CallLogTable& callLog, rules::LogImport& logImport,
                  appstate::ProgramState& state);

    // Shows the totals of an import that went through, and whether the archive can be used.
    void showTotals(const rules::LogImportResult& result);
    // The same, and a failure is told; the rows written so far are still shown.
    void showImport(const rules::LogImportResult& result);
    // Shows a log just downloaded and imported, unfiltered.
    void showDownloaded(const rules::LogImportResult& result);

    // The filters: every row, or only answering-machine, outgoing or incoming calls.
    void showAllClicked();           // "全表示"
    void answeringMachineClicked();  // "留守番"
    void outgoingClicked();          // "発信"
    void incomingClicked();          // "着信"
    void reloadClicked();            // "LOG 再読": downloads the log again
    void clearLogClicked();          // "LOG 削除": clears the adapter's log once confirmed
    void dialClicked();              // "ﾀﾞｲﾔﾙ発信(&D)": dials the selected row's number
    void archiveClicked();           // "通話履歴(&H)": opens the archive window
    void printClicked();             // "印刷(&P)": the rows shown, in the print preview
    void closeClicked();             // close
    void helpClicked();              // help
    void loadHistoryClicked();       // load a history file
    void saveHistoryClicked();       // save a history file
    // Edits the phone book record of the selected row's number, or starts a new one.
    void gridDoubleClicked();
    // Reveals the two history buttons for the rest of the run.
    void memoryLabelDoubleClicked();

    QLabel* titlePicture = nullptr;
    QLabel* totalLabel = nullptr;  // "合計通話料金"
    QLabel* totalPanel = nullptr;  // total charge
    // Shown while the archive cannot be used: downloaded calls are not kept.
    QLabel* archiveNotice = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* loadHistoryButton = nullptr;
    QPushButton* saveHistoryButton = nullptr;
    QTableView* grid = nullptr;
    QLabel* filterLabel = nullptr;  // "表示条件"
    QLabel* filterPanel = nullptr;  // the filter in force
    QPushButton* showAllButton = nullptr;
    QPushButton* answeringMachineButton = nullptr;
    QPushButton* outgoingButton = nullptr;
    QPushButton* incomingButton = nullptr;
    QLabel* memoryLabel = nullptr;  // "LOGﾒﾓﾘ"
    ui::Gauge* memoryGauge = nullptr;
    QLabel* countPanel = nullptr;  // number of entries
    QPushButton* reloadButton = nullptr;
    QPushButton* clearLogButton = nullptr;
    QPushButton* archiveButton = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* closeButton = nullptr;
    QMenu* contextMenu = nullptr;
    QAction* editAction = nullptr;      // "個人情報編集(&E)"
    QAction* dialAction = nullptr;      // "ダイヤル発信(&D)"
    QAction* reloadAction = nullptr;    // "ＬＯＧ 再読込み(&R)"
    QAction* clearLogAction = nullptr;  // "ＬＯＧ 削除(&K)"
    QAction* printAction = nullptr;     // "印刷(&P)"
    QAction* closeAction = nullptr;     // "閉じる (&C)"

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    db::CallLogTable& callLog_;
    rules::LogImport& logImport_;
    appstate::ProgramState& state_;
    void buildWindow();
    QWidget* buildTopBar();
    QWidget* buildBottomBar();
    void buildPopupMenu();
    // Shows the rows of one kind (mode as LogFilterMode), or every row when mode is negative.
    void showFiltered(const QString& panelText, int mode);
    // ログ電話番号 of the selected row; empty when no row is selected.
    QString selectedNumber() const;

    bool archiveUsable_ = true;
};
