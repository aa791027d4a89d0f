#include "windows/chargeswindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "windows/formlook.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int HelpTopic = 9;
constexpr int ClientWidth = 281;
const QString ResetAmount = QStringLiteral("0 円 ");

}  // namespace

ChargesWindow::ChargesWindow(WindowContext& context)
    : WindowBase(context, QStringLiteral("回線使用料金"), 17) {
    buildWindow();
}

void ChargesWindow::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(gothicFont(12));
    setClientSize(ClientWidth, 193);

    titlePicture = new QLabel(this);
    titlePicture->setGeometry(8, 4, 217, 36);
    titlePicture->setPixmap(makeTitlePicture(QStringLiteral("回線使用料金"), 217, 36));
    helpButton = new QPushButton(this);
    helpButton->setGeometry(ClientWidth - 41, 6, 33, 33);
    helpButton->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    helpButton->setToolTip(QStringLiteral("ヘルプ"));
    helpButton->setFocusPolicy(Qt::NoFocus);

    addRow(52, QStringLiteral("ＴＥＬ １"), tel1Caption, tel1Amount, resetTel1Button);
    addRow(84, QStringLiteral("ＴＥＬ ２"), tel2Caption, tel2Amount, resetTel2Button);
    addRow(116, QStringLiteral("ﾃﾞｼﾞﾀﾙ通信"), digitalCaption, digitalAmount, resetDigitalButton);

    okButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    okButton->setGeometry((ClientWidth - 75) / 2, 158, 75, 25);
    okButton->setDefault(true);

    connect(resetTel1Button, &QPushButton::clicked, this, &ChargesWindow::resetTel1Clicked);
    connect(resetTel2Button, &QPushButton::clicked, this, &ChargesWindow::resetTel2Clicked);
    connect(resetDigitalButton, &QPushButton::clicked, this, &ChargesWindow::resetDigitalClicked);
    connect(okButton, &QPushButton::clicked, this, &ChargesWindow::okClicked);
    connect(helpButton, &QPushButton::clicked, this, &ChargesWindow::helpClicked);
}

void ChargesWindow::addRow(int top, const QString& caption, QLabel*& captionPanel,
                           QLabel*& amountPanel, QPushButton*& resetButton) {
    captionPanel = new QLabel(caption, this);
    captionPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    captionPanel->setAlignment(Qt::AlignCenter);
    captionPanel->setGeometry(8, top, 89, 25);
    amountPanel = new QLabel(this);
    amountPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    amountPanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    amountPanel->setGeometry(101, top, 113, 25);
    resetButton = new QPushButton(QStringLiteral("ﾘｾｯﾄ"), this);
    resetButton->setGeometry(220, top, 53, 25);
}

void ChargesWindow::showCharges(const protocol::ChargeAmounts& amounts) {
    tel1Amount->setText(protocol::chargePanelText(amounts.tel1));
    tel2Amount->setText(protocol::chargePanelText(amounts.tel2));
    digitalAmount->setText(protocol::chargePanelText(amounts.digital));
    show();
    raise();
    activateWindow();
}

void ChargesWindow::resetTel1Clicked() {
    askReset(appstate::confirmaction::ResetTel1, QStringLiteral("ＴＥＬ　１の使用料金を"));
}

void ChargesWindow::resetTel2Clicked() {
    askReset(appstate::confirmaction::ResetTel2, QStringLiteral("ＴＥＬ　２の使用料金を"));
}

void ChargesWindow::resetDigitalClicked() {
    askReset(appstate::confirmaction::ResetDigital, QStringLiteral("ﾃﾞｼﾞﾀﾙ通信の使用料金を"));
}

// The confirmation window resets the counter on yes and enables this window when it closes.
void ChargesWindow::askReset(int kind, const QString& question) {
    setEnabled(false);
    context.nav().askConfirmation(kind, question, QStringLiteral("初期化しますか？"));
}

void ChargesWindow::okClicked() {
    close();
}

void ChargesWindow::helpClicked() {
    context.services.help.context(HelpTopic);
}

void ChargesWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    returnToMenu();
}

void ChargesWindow::returnToMenu() {
    context.nav().showMenu();
}

void ChargesWindow::showCounterReset(adapter::ChargesExchange::Counter counter) {
    using Counter = adapter::ChargesExchange::Counter;
    QLabel* amount = counter == Counter::Tel1   ? tel1Amount
                     : counter == Counter::Tel2 ? tel2Amount
                                                : digitalAmount;
    amount->setText(ResetAmount);
}
