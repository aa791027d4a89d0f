#pragma once

#include "app/tformbase.h"

class QFrame;
class QLabel;
class QPushButton;

// The shared confirmation window. The asking window sets ConfirmKind and the two lines of the
// question; "はい(&Y)" carries out the action of that kind, and closing by any means hands control
// back to the asking window. It does not wait: the asking window stays disabled (or hidden) until
// it closes.
class TForm10 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm10(Application& app);

    // Yes: the action of ConfirmKind, then close. A failure is shown and the window stays open.
    void BitBtn1Click();
    // No: close without the action.
    void BitBtn2Click();

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void YesAction();
    // Clears the adapter's log and, once the command is out, the held image and the table.
    void ClearLog();
    void ChangePassword();
    void ResetCharge(const QByteArray& command, QLabel* amount);
    void FormClose();
};
