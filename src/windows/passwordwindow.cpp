#include "windows/passwordwindow.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "rules/password.h"
#include "windows/formlook.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

PasswordWindow::PasswordWindow(WindowContext& context, adapter::DeviceLink& link,
                               appstate::ProgramState& state)
    : WindowBase(context, QStringLiteral("パスワード入力"), 19), link_(link), state_(state) {
    buildWindow();
}

void PasswordWindow::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(gothicFont(12));
    setClientSize(240, 99);

    framePanel = new QFrame(this);
    framePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    framePanel->setGeometry(8, 0, 225, 73);
    promptLabel = new QLabel(QStringLiteral("パスワードを入力してください"), framePanel);
    promptLabel->setFont(gothicFont(16, true));
    promptLabel->setGeometry(8, 8, 209, 16);
    passwordField = new QLineEdit(framePanel);
    passwordField->setFont(gothicFont(19, true));
    passwordField->setGeometry(48, 32, 57, 27);
    passwordField->setMaxLength(4);
    passwordField->setEchoMode(QLineEdit::Password);
    passwordField->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    confirmButton = new QPushButton(QStringLiteral("確認"), framePanel);
    confirmButton->setGeometry(128, 32, 73, 25);
    confirmButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton->setGeometry(160, 74, 73, 25);

    connect(confirmButton, &QPushButton::clicked, this, &PasswordWindow::confirmClicked);
    connect(cancelButton, &QPushButton::clicked, this, &PasswordWindow::cancelClicked);
}

void PasswordWindow::confirmClicked() {
    appstate::ProgramState& s = state_;
    const auto number = rules::passwordNumber(passwordField->text());
    if (!number) {
        context.services.dialogs.messageBox(
            this, QStringLiteral("パスワードは半角数字４桁を入力してください"),
            ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    s.enteredPasswordCode = rules::passwordCodeOf(*number);
    if (s.settings.passwordCode != s.enteredPasswordCode && s.settings.passwordCode != 0) {
        // A wrong password is not told: the download simply stops where it stands.
        context.nav().showMainMenu();
        close();
        return;
    }
    close();
    link_.continueDownloadWithPassword();
}

void PasswordWindow::cancelClicked() {
    context.nav().showOptions();
    close();
}

// Enter confirms, as the default button of a dialog would, unless another button has the focus.
void PasswordWindow::keyPressEvent(QKeyEvent* event) {
    if (isDefaultButtonKey(event)) {
        confirmButton->click();
        return;
    }
    WindowBase::keyPressEvent(event);
}

void PasswordWindow::ask() {
    passwordField->clear();
    show();
    raise();
    passwordField->setFocus();
}
