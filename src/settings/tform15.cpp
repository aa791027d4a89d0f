#include "settings/tform15.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "app/application.h"
#include "app/tform10.h"
#include "app/tmain.h"
#include "settings/formlook.h"

namespace {

constexpr int HelpTopic = 9;
constexpr int ConfirmResetTel1 = 6;
constexpr int ConfirmResetTel2 = 7;
constexpr int ConfirmResetDigital = 8;
constexpr int ClientWidth = 281;

}  // namespace

TForm15::TForm15(Application& app) : TFormBase(app, QStringLiteral("回線使用料金"), 17) {
    buildWindow();
}

void TForm15::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(settings::GothicFont(12));
    setClientSize(ClientWidth, 193);

    Image1 = new QLabel(this);
    Image1->setGeometry(8, 4, 217, 36);
    Image1->setPixmap(settings::TitlePicture(QStringLiteral("回線使用料金"), 217, 36));
    BitBtn3 = new QPushButton(this);
    BitBtn3->setGeometry(ClientWidth - 41, 6, 33, 33);
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    BitBtn3->setToolTip(QStringLiteral("ヘルプ"));
    BitBtn3->setFocusPolicy(Qt::NoFocus);

    addRow(52, QStringLiteral("ＴＥＬ １"), Panel1, Panel2, Button1);
    addRow(84, QStringLiteral("ＴＥＬ ２"), Panel3, Panel4, Button2);
    addRow(116, QStringLiteral("ﾃﾞｼﾞﾀﾙ通信"), Panel5, Panel6, Button3);

    Button4 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button4->setGeometry((ClientWidth - 75) / 2, 158, 75, 25);
    Button4->setDefault(true);

    connect(Button1, &QPushButton::clicked, this, &TForm15::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm15::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm15::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm15::Button4Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm15::BitBtn3Click);
}

void TForm15::addRow(int top, const QString& caption, QLabel*& captionPanel, QLabel*& amountPanel,
                     QPushButton*& resetButton) {
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

void TForm15::ChargesShow(const settings::ChargeAmounts& amounts) {
    Panel2->setText(settings::ChargePanelText(amounts.Tel1));
    Panel4->setText(settings::ChargePanelText(amounts.Tel2));
    Panel6->setText(settings::ChargePanelText(amounts.Digital));
    show();
    raise();
    activateWindow();
}

void TForm15::Button1Click() {
    AskReset(ConfirmResetTel1, QStringLiteral("ＴＥＬ　１の使用料金を"));
}

void TForm15::Button2Click() {
    AskReset(ConfirmResetTel2, QStringLiteral("ＴＥＬ　２の使用料金を"));
}

void TForm15::Button3Click() {
    AskReset(ConfirmResetDigital, QStringLiteral("ﾃﾞｼﾞﾀﾙ通信の使用料金を"));
}

// The confirmation window resets the counter on yes and enables this window when it closes.
void TForm15::AskReset(int kind, const QString& question) {
    setEnabled(false);
    app.State.ConfirmKind = kind;
    TForm10* confirm = app.F.Form10;
    confirm->Label1->setText(question);
    confirm->Label2->setText(QStringLiteral("初期化しますか？"));
    confirm->show();
    confirm->raise();
}

void TForm15::Button4Click() {
    close();
}

void TForm15::BitBtn3Click() {
    app.Ui.help.context(HelpTopic);
}

void TForm15::closeEvent(QCloseEvent* event) {
    event->accept();
    FormClose();
}

void TForm15::FormClose() {
    app.F.Main->MenuShow();
}
