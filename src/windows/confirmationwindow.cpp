#include "windows/confirmationwindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "state/inifile.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int PortCloseDelay = 500;

}  // namespace
ConfirmationWindow::ConfirmationWindow(WindowContext& context, adapter::DeviceLink& link,
                                       db::PhoneBookTable& phoneBook, appstate::ProgramState& state,
                                       QString settingsPath, const db::TableBackups& backups)
    : WindowBase(context, QStringLiteral("確認"), 0),
      link_(link),
      phoneBook_(phoneBook),
      state_(state),
      backups_(backups),
      settingsPath_(std::move(settingsPath)) {
    buildWindow();
}

void ConfirmationWindow::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(265, 113);

    questionPanel = new QFrame(this);
    questionPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    questionPanel->setGeometry(8, 8, 249, 65);
    firstLine = new QLabel(QStringLiteral("削除しますか？"), questionPanel);
    secondLine = new QLabel(questionPanel);
    auto* lines = new QVBoxLayout(questionPanel);
    lines->addWidget(firstLine);
    lines->addWidget(secondLine);

    yesButton = new QPushButton(QStringLiteral("はい(&Y)"), this);
    yesButton->setGeometry(40, 80, 88, 25);
    yesButton->setDefault(true);
    noButton = new QPushButton(QStringLiteral("いいえ(&N)"), this);
    noButton->setGeometry(137, 80, 88, 25);
    connect(yesButton, &QPushButton::clicked, this, &ConfirmationWindow::yesClicked);
    connect(noButton, &QPushButton::clicked, this, &ConfirmationWindow::noClicked);
}

void ConfirmationWindow::ask(int action, const QString& first, const QString& second) {
    action_ = action;
    firstLine->setText(first);
    secondLine->setText(second);
    show();
    raise();
}

void ConfirmationWindow::yesClicked() {
    try {
        carryOutAction();
    } catch (const std::exception& e) {
        context.showException(QString::fromUtf8(e.what()));
        return;
    }
    close();
}

void ConfirmationWindow::noClicked() {
    close();
}

void ConfirmationWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    context.guarded([this] { returnToAsker(); });
}

void ConfirmationWindow::carryOutAction() {
    using Counter = adapter::ChargesExchange::Counter;
    switch (action_) {
        case appstate::confirmaction::DeleteRecord:
            phoneBook_.deleteCurrent();
            break;
        case appstate::confirmaction::ClearAdapterLog:
            // A copy of the phone book first; the clear does not happen when it cannot be made.
            backups_.takeBeforeChange(phoneBook_, context.services.wallClock.now());
            link_.clearAdapterLog();
            context.nav().callLogChanged();
            break;
        case appstate::confirmaction::ChangePassword:
            changePassword();
            break;
        case appstate::confirmaction::ResetTel1:
            link_.resetCharge(Counter::Tel1);
            break;
        case appstate::confirmaction::ResetTel2:
            link_.resetCharge(Counter::Tel2);
            break;
        case appstate::confirmaction::ResetDigital:
            link_.resetCharge(Counter::Digital);
            break;
        default:
            break;
    }
}

void ConfirmationWindow::changePassword() {
    appstate::ProgramState& s = state_;
    link_.changePassword();
    // The adapter already holds the new code, so a settings file that cannot be written is told
    // and the window closes as usual.
    const appstate::IniFile ini(settingsPath_);
    if (!ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET1"),
                          s.settings.passwordCode) ||
        !ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET2"),
                          s.settings.passwordNumber)) {
        context.showException(QStringLiteral("%1 に書き込めません。").arg(settingsPath_));
    }
}

void ConfirmationWindow::returnToAsker() {
    const int action = action_;
    // The port that the change of password or the reset used closes shortly after.
    if (action == appstate::confirmaction::ChangePassword ||
        action == appstate::confirmaction::ResetTel1 ||
        action == appstate::confirmaction::ResetTel2 ||
        action == appstate::confirmaction::ResetDigital) {
        link_.closePortLater(PortCloseDelay);
    }
    context.nav().confirmationClosed(action);
}
