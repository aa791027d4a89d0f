#include "settings/tform5.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <exception>

#include "app/application.h"
#include "app/inifile.h"
#include "app/tform10.h"
#include "app/tmain.h"
#include "link/hgcommands.h"
#include "link/tform11.h"
#include "link/tform14.h"
#include "settings/formlook.h"
#include "settings/optionmapping.h"
#include "settings/password.h"
#include "settings/settingswriter.h"
#include "settings/tform19.h"
#include "settings/tradiogroup.h"

namespace {

constexpr int HelpTopic = 12;
constexpr int Tel2ModeDelay = 700;
constexpr int SavePortCloseDelay = 1500;
constexpr int SaveNoticeTime = 1800;
constexpr int ConfirmPasswordChange = 5;

const QStringList LogModeItems = {QStringLiteral("全て記録"), QStringLiteral("発信のみ"),
                                  QStringLiteral("着信のみ"), QStringLiteral("記録無し")};
const QStringList DialLineItems = {QStringLiteral("TEL 1"), QStringLiteral("TEL 2")};

}  // namespace

TForm5::TForm5(Application& app)
    : TFormBase(app, QStringLiteral("オプション設定"), 18),
      Timer1(app.Ui.timers),
      Timer2(app.Ui.timers),
      Timer3(app.Ui.timers) {
    Timer1.OnTimer = [this] { Timer1Timer(); };
    Timer2.OnTimer = [this] { Timer2Timer(); };
    Timer3.OnTimer = [this] { Timer3Timer(); };
    buildWindow();
}

void TForm5::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(settings::GothicFont(12));
    setClientSize(349, 413);

    Panel2 = new QFrame(this);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setGeometry(0, 0, 349, 44);
    Image1 = new QLabel(Panel2);
    Image1->setGeometry(8, 4, 249, 36);
    Image1->setPixmap(settings::TitlePicture(QStringLiteral("オプション設定"), 249, 36));
    BitBtn3 = new QPushButton(Panel2);
    BitBtn3->setGeometry(308, 6, 33, 33);
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    BitBtn3->setToolTip(QStringLiteral("ヘルプ"));
    BitBtn3->setFocusPolicy(Qt::NoFocus);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(2, 48, 343, 329);

    GroupBox1 = new QGroupBox(QStringLiteral("パスワード設定／登録"), Panel1);
    GroupBox1->setGeometry(16, 8, 185, 65);
    Label1 = new QLabel(QStringLiteral("パスワード"), GroupBox1);
    Label1->setFont(settings::GothicFont(11));
    Label1->setGeometry(16, 24, 50, 11);
    Label2 = new QLabel(QStringLiteral("※半角数字４桁"), GroupBox1);
    Label2->setFont(settings::GothicFont(11));
    Label2->setGeometry(8, 40, 74, 11);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setGeometry(88, 24, 49, 27);
    Edit1->setFont(settings::GothicFont(19));
    Edit1->setMaxLength(4);
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Button1 = new QPushButton(QStringLiteral("無効"), GroupBox1);
    Button1->setGeometry(144, 24, 33, 25);
    Button1->setToolTip(QStringLiteral("パスワードを初期化"));

    RadioGroup6 = new TRadioGroup(QStringLiteral("機種設定"), Panel1);
    RadioGroup6->setGeometry(208, 8, 121, 65);
    RadioGroup6->setItems({QStringLiteral("TALVE-X2"), QStringLiteral("TALVE-X1")});
    RadioGroup1 = new TRadioGroup(QStringLiteral("TEL 1 ログ記録"), Panel1);
    RadioGroup1->setGeometry(16, 88, 148, 137);
    RadioGroup1->setItems(LogModeItems);
    RadioGroup4 = new TRadioGroup(QStringLiteral("TEL 2 ログ記録"), Panel1);
    RadioGroup4->setGeometry(180, 88, 148, 137);
    RadioGroup4->setItems(LogModeItems);
    RadioGroup3 = new TRadioGroup(QStringLiteral("通信ポート設定"), Panel1);
    RadioGroup3->setGeometry(16, 232, 313, 41);
    RadioGroup3->setColumns(4);
    RadioGroup3->setItems({QStringLiteral("ＣＯＭ１"), QStringLiteral("ＣＯＭ２"),
                           QStringLiteral("ＣＯＭ３"), QStringLiteral("ＣＯＭ４")});
    RadioGroup2 = new TRadioGroup(QStringLiteral("ダイヤル発信 利用回線"), Panel1);
    RadioGroup2->setGeometry(16, 280, 313, 41);
    RadioGroup2->setColumns(2);

    BitBtn1 = new QPushButton(QStringLiteral(" 設定保存(&S)"), this);
    BitBtn1->setGeometry(112, 384, 113, 25);
    BitBtn2 = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    BitBtn2->setGeometry(232, 384, 113, 25);

    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, RadioGroup1);
    setTabOrder(RadioGroup1, RadioGroup4);
    setTabOrder(RadioGroup4, RadioGroup3);
    setTabOrder(RadioGroup3, RadioGroup2);
    setTabOrder(RadioGroup2, RadioGroup6);
    setTabOrder(RadioGroup6, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    RadioGroup6->OnClick = [this] { TaSelect(); };
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm5::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm5::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm5::BitBtn3Click);
}

void TForm5::OpsionSet() {
    const ProgramState& s = app.State;
    RadioGroup3->setItemIndex(s.ComPort - 1);
    RadioGroup2->setItemIndex(s.DialLine - 1);
    app.State.NewPasswordCode = s.PasswordCode;
    RadioGroup6->setItemIndex(s.TaModel);
    TaSelect();
    if (const auto item = settings::LogModeItem(s.LogModeTel1)) {
        RadioGroup1->setItemIndex(*item);
    }
    if (const auto item = settings::LogModeItem(s.LogModeTel2)) {
        RadioGroup4->setItemIndex(*item);
    }
    show();
    raise();
    activateWindow();
    if (s.PasswordCode > 0) {
        Edit1->setText(QString::number(s.UserSet2));
    } else {
        Edit1->clear();
    }
}

void TForm5::TaSelect() {
    ProgramState& s = app.State;
    const int model = RadioGroup6->ItemIndex();
    if (model == -1 || model == 1) {
        RadioGroup2->setItems(DialLineItems);
        if (s.DialLine > 2) {
            s.DialLine = 1;
        }
        RadioGroup2->setItemIndex(s.DialLine - 1);
        RadioGroup1->setEnabled(model == 1);
        RadioGroup4->setEnabled(model == 1);
    }
    if (model == 0) {
        RadioGroup2->setItems(DialLineItems);
        RadioGroup2->setItemIndex(s.DialLine - 1);
        RadioGroup1->setEnabled(true);
        RadioGroup4->setEnabled(true);
    }
}

void TForm5::DelayComClose(int ms) {
    Timer2.setInterval(ms);
}

void TForm5::BitBtn1Click() {
    ProgramState& s = app.State;
    s.DeviceReady = 0;
    s.LogImage[0] = 255;
    s.NewPasswordCode = s.PasswordCode;

    if (Edit1->text().isEmpty()) {
        s.NewPasswordCode = 0;
    } else if (const auto number = settings::PasswordNumber(Edit1->text())) {
        s.UserSet2 = *number;
        s.NewPasswordCode = settings::PasswordCodeOf(*number);
    } else {
        app.Ui.dialogs.messageBox(this,
                                  QStringLiteral("パスワードは半角数字４桁を入力してください"),
                                  ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        close();
    }

    s.ComPort = RadioGroup3->ItemIndex() + 1;
    app.F.Form11->Comm1.setPort(static_cast<uint8_t>(s.ComPort));
    s.TaModel = RadioGroup6->ItemIndex();
    if (const auto mode = settings::LogModeOfItem(RadioGroup1->ItemIndex())) {
        s.LogModeTel1 = *mode;
    }
    if (const auto mode = settings::LogModeOfItem(RadioGroup4->ItemIndex())) {
        s.LogModeTel2 = *mode;
    }
    if (RadioGroup2->ItemIndex() >= 0) {
        s.DialLine = RadioGroup2->ItemIndex() + 1;
    }

    try {
        SaveAndSend();
    } catch (const std::exception&) {
        hide();
        app.F.Form14->show();
        // Close the port this save may have opened, as a save that went through would.
        DelayComClose(SavePortCloseDelay);
    }
}

void TForm5::SaveAndSend() {
    ProgramState& s = app.State;
    TComm& comm = app.F.Form11->Comm1;
    comm.Open();
    comm.WriteText(hg::LogModeTel1Command(s));
    Timer1.setInterval(Tel2ModeDelay);
    s.ComPort = RadioGroup3->ItemIndex() + 1;
    // SET1 keeps the code in force; only the confirmation of a new password changes it.
    settings::WriteSettings(settingsPathFor(app.executablePath()), s);

    if (s.NewPasswordCode == s.PasswordCode) {
        hide();
        app.F.Form19->show();
        DelayComClose(SavePortCloseDelay);
        Timer3.setInterval(SaveNoticeTime);
        return;
    }
    s.ConfirmKind = ConfirmPasswordChange;
    TForm10* confirm = app.F.Form10;
    confirm->Label1->setText(QStringLiteral("パスワードを変更しますと通話記録が"));
    confirm->Label2->setText(QStringLiteral("初期化されます。よろしいですか？"));
    confirm->show();
    hide();
}

void TForm5::BitBtn2Click() {
    close();
}

void TForm5::BitBtn3Click() {
    app.Ui.help.context(HelpTopic);
}

void TForm5::Button1Click() {
    Edit1->clear();
    Edit1->setFocus();
}

void TForm5::Timer1Timer() {
    // Stopped before sending: a port closed in the meantime is reported once, not at every tick.
    Timer1.setInterval(0);
    app.F.Form11->Comm1.WriteText(hg::LogModeTel2Command(app.State));
}

void TForm5::Timer2Timer() {
    app.F.Main->ComClose();
    Timer2.setInterval(0);
}

void TForm5::Timer3Timer() {
    Timer3.setInterval(0);
    app.F.Form19->hide();
    close();
}

void TForm5::closeEvent(QCloseEvent* event) {
    event->accept();
    FormClose();
}

void TForm5::FormClose() {
    app.F.Main->MenuShow();
}
