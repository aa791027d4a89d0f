#pragma once

#include "adapter/devicelink.h"
#include "windows/windowbase.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the password when the adapter guards its log with a code the user has not yet
// entered in this run; the log download waits for it.
class PasswordWindow : public WindowBase {
    Q_OBJECT
public:
    PasswordWindow(WindowContext& context, adapter::DeviceLink& link,
                   appstate::ProgramState& state);

    // Asks for the password with an empty field.
    void ask();

    void confirmClicked();  // "確認"
    void cancelClicked();   // "キャンセル"

    QFrame* framePanel = nullptr;
    QLabel* promptLabel = nullptr;
    QLineEdit* passwordField = nullptr;
    QPushButton* confirmButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    adapter::DeviceLink& link_;
    appstate::ProgramState& state_;
    void buildWindow();
};
