#pragma once

#include "windows/windowbase.h"

class QFrame;
class QLabel;
class QPushButton;

// The shared confirmation window. The asking window sets confirmAction and the two lines of the
// question; "はい(&Y)" carries out the action of that kind, and closing by any means hands control
// back to the asking window. It does not wait: the asking window stays disabled (or hidden) until
// it closes.
class ConfirmationWindow : public WindowBase {
    Q_OBJECT
public:
    explicit ConfirmationWindow(WindowContext& app);

    // Yes: the action of confirmAction, then close. A failure is shown and the window stays open.
    void yesClicked();
    // No: close without the action.
    void noClicked();

    QFrame* questionPanel = nullptr;
    QLabel* firstLine = nullptr;
    QLabel* secondLine = nullptr;
    QPushButton* yesButton = nullptr;
    QPushButton* noButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void carryOutAction();
    void changePassword();
    void returnToAsker();
};
