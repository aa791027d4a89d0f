#pragma once

#include "adapter/devicelink.h"
#include "db/phonebooktable.h"
#include "db/tablebackups.h"
#include "windows/windowbase.h"

class QFrame;
class QLabel;
class QPushButton;

// The shared confirmation window. It asks about one action (a value of confirmaction) with two
// lines; "はい(&Y)" carries out that action, and closing by any means hands control
// back to the asking window. It does not wait: the asking window stays disabled (or hidden) until
// it closes.
class ConfirmationWindow : public WindowBase {
    Q_OBJECT
public:
    ConfirmationWindow(WindowContext& context, adapter::DeviceLink& link,
                       db::PhoneBookTable& phoneBook, appstate::ProgramState& state,
                       QString settingsPath, const db::TableBackups& backups);

    // Shows the question about action.
    void ask(int action, const QString& firstLine, const QString& secondLine);
    // The action asked about.
    int action() const { return action_; }

    // Yes: the action asked about, then close. A failure is shown and the window stays open.
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
    adapter::DeviceLink& link_;
    db::PhoneBookTable& phoneBook_;
    appstate::ProgramState& state_;
    const db::TableBackups& backups_;
    QString settingsPath_;
    void buildWindow();
    void carryOutAction();
    void changePassword();
    void returnToAsker();

    int action_ = 0;
};
