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
ConfirmationWindow::ConfirmationWindow(WindowContext& app)
    : WindowBase(app, QStringLiteral("確認"), 0) {
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
        app.showException(QString::fromUtf8(e.what()));
        return;
    }
    close();
}

void ConfirmationWindow::noClicked() {
    close();
}

void ConfirmationWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    app.guarded([this] { returnToAsker(); });
}

void ConfirmationWindow::carryOutAction() {
    using Counter = adapter::ChargesExchange::Counter;
    switch (action_) {
        case appstate::confirmaction::DeleteRecord:
            app.phoneBookTable.deleteCurrent();
            break;
        case appstate::confirmaction::ClearAdapterLog:
            app.link.logClear.clear();
            app.nav().callLogChanged();
            break;
        case appstate::confirmaction::ChangePassword:
            changePassword();
            break;
        case appstate::confirmaction::ResetTel1:
            app.link.charges.reset(Counter::Tel1);
            break;
        case appstate::confirmaction::ResetTel2:
            app.link.charges.reset(Counter::Tel2);
            break;
        case appstate::confirmaction::ResetDigital:
            app.link.charges.reset(Counter::Digital);
            break;
        default:
            break;
    }
}

void ConfirmationWindow::changePassword() {
    appstate::ProgramState& s = app.state;
    app.link.options.changePassword();
    // The adapter already holds the new code, so a settings file that cannot be written is told
    // and the window closes as usual.
    const appstate::IniFile ini(app.settingsPath());
    if (!ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET1"), s.passwordCode) ||
        !ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET2"), s.passwordNumber)) {
        app.showException(QStringLiteral("%1 に書き込めません。").arg(app.settingsPath()));
    }
}

void ConfirmationWindow::returnToAsker() {
    const int action = action_;
    // The port that the change of password or the reset used closes shortly after.
    if (action == appstate::confirmaction::ChangePassword ||
        action == appstate::confirmaction::ResetTel1 ||
        action == appstate::confirmaction::ResetTel2 ||
        action == appstate::confirmaction::ResetDigital) {
        app.link.closePortLater(PortCloseDelay);
    }
    app.nav().confirmationClosed(action);
}
