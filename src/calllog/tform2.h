#pragma once

#include "app/tformbase.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
namespace ui {
class TGauge;
}

// The call log window: the rows of the call log table with the total charge, the number of
// entries and how full the adapter's log memory is.
class TForm2 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm2(Application& app);

    // Rebuilds the call log table from LogImage, writes each known caller's last call into the
    // phone book and shows the totals. A failure of the table engine ends it with EDatabaseError;
    // the rows and records written until then stay.
    void LogConv();

    // The filters: every row, or only answering-machine, outgoing or incoming calls.
    void Button1Click();       // "全表示"
    void Button2Click();       // "留守番"
    void Button3Click();       // "発信"
    void Button4Click();       // "着信"
    void Button5Click();       // "LOG 再読": downloads the log again
    void Button6Click();       // "LOG 削除": clears the adapter's log once confirmed
    void BitBtn1Click();       // "ﾀﾞｲﾔﾙ発信(&D)": dials the selected row's number
    void BitBtn2Click();       // close
    void SpeedButton1Click();  // help
    void SpeedButton2Click();  // load a history file
    void SpeedButton3Click();  // save a history file
    // Edits the phone book record of the selected row's number, or starts a new one.
    void DBGrid1DblClick();
    // Reveals the two history buttons for the rest of the run.
    void MemoryLabelDblClick();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;      // "合計通話料金"
    QLabel* TotalPanel = nullptr;  // total charge
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QPushButton* SpeedButton3 = nullptr;
    QTableView* DBGrid1 = nullptr;
    QLabel* Label2 = nullptr;   // "表示条件"
    QLabel* Panel10 = nullptr;  // the filter in force
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QLabel* MemoryLabel = nullptr;  // "LOGﾒﾓﾘ"
    ui::TGauge* MemoryGauge = nullptr;
    QLabel* CountPanel = nullptr;  // number of entries
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* E1 = nullptr;  // "個人情報編集(&E)"
    QAction* D1 = nullptr;  // "ダイヤル発信(&D)"
    QAction* R1 = nullptr;  // "ＬＯＧ 再読込み(&R)"
    QAction* K1 = nullptr;  // "ＬＯＧ 削除(&K)"
    QAction* C1 = nullptr;  // "閉じる (&C)"

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildTopBar();
    QWidget* buildBottomBar();
    void buildPopupMenu();
    // Shows the rows of one kind (mode as LogFilterMode), or every row when mode is negative.
    void FilterShow(const QString& panelText, int mode);
    // ログ電話番号 of the selected row; empty when no row is selected.
    QString selectedNumber() const;
};
