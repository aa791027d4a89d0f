#include "app/confirmationwindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "app/application.h"
#include "app/inifile.h"
#include "app/mainmenuwindow.h"
#include "calllog/calllogwindow.h"
#include "link/devicelink.h"
#include "link/hgcommands.h"
#include "phonebook/phonebookwindow.h"
#include "settings/chargeswindow.h"
#include "settings/optionswindow.h"

namespace {

enum Kind {
    DeleteRecord = 1,
    ClearAdapterLog = 2,
    ChangePasswordCode = 5,
    ResetTel1 = 6,
    ResetTel2 = 7,
    ResetDigital = 8
};

constexpr int PortCloseDelay = 500;
const QString ResetAmount = QStringLiteral("0 円 ");

}  // namespace

ConfirmationWindow::ConfirmationWindow(Application& app)
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
    switch (app.State.confirmAction) {
        case DeleteRecord:
            app.windows.mainMenu->phoneBookTable.deleteCurrent();
            break;
        case ClearAdapterLog:
            clearAdapterLog();
            break;
        case ChangePasswordCode:
            ChangePassword();
            break;
        case ResetTel1:
            ResetCharge(hg::ChargeResetTel1Command(), app.windows.charges->tel1Amount);
            break;
        case ResetTel2:
            ResetCharge(hg::ChargeResetTel2Command(), app.windows.charges->tel2Amount);
            break;
        case ResetDigital:
            ResetCharge(hg::ChargeResetDigitalCommand(), app.windows.charges->digitalAmount);
            break;
        default:
            break;
    }
}

void ConfirmationWindow::clearAdapterLog() {
    SerialPort& comm = app.windows.deviceLink->serialPort;
    app.State.RxIndex = 0;
    comm.open();
    try {
        comm.writeText(hg::LogClearCommand());
    } catch (...) {
        comm.close();
        throw;
    }
    app.windows.options->closePortLater(PortCloseDelay);
    app.State.LogImage[0] = 0;
    app.windows.callLog->convertLog();
}

void ConfirmationWindow::ChangePassword() {
    ProgramState& s = app.State;
    // The port is still open from the options window. Nothing changes here unless the adapter
    // was sent its new code.
    app.windows.deviceLink->serialPort.writeText(hg::PasswordSetCommand(s.NewPasswordCode));
    s.PasswordCode = s.NewPasswordCode;
    s.LogImage[0] = 255;
    // The adapter already holds the new code, so a settings file that cannot be written is told
    // and the window closes as usual.
    const IniFile ini(app.settingsPath());
    if (!ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET1"), s.PasswordCode) ||
        !ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET2"), s.passwordNumber)) {
        app.showException(QStringLiteral("%1 に書き込めません。").arg(app.settingsPath()));
    }
}

void ConfirmationWindow::ResetCharge(const QByteArray& command, QLabel* amount) {
    // The port message is the only window left, so that its OK leads to the options alone.
    if (!app.windows.mainMenu->openPort()) {
        app.windows.charges->hide();
        return;
    }
    app.windows.deviceLink->serialPort.writeText(command);
    amount->setText(ResetAmount);
}

void ConfirmationWindow::returnToAsker() {
    switch (app.State.confirmAction) {
        case DeleteRecord:
            app.windows.phoneBook->setEnabled(true);
            break;
        case ClearAdapterLog:
            app.windows.callLog->setEnabled(true);
            break;
        case ChangePasswordCode:
            app.windows.options->closePortLater(PortCloseDelay);
            app.windows.mainMenu->showMenu();
            break;
        case ResetTel1:
        case ResetTel2:
        case ResetDigital:
            app.windows.options->closePortLater(PortCloseDelay);
            app.windows.charges->setEnabled(true);
            break;
        default:
            break;
    }
}
