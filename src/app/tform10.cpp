#include "app/tform10.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "app/application.h"
#include "app/inifile.h"
#include "app/tmain.h"
#include "calllog/tform2.h"
#include "link/hgcommands.h"
#include "link/tform11.h"
#include "phonebook/tuserlist.h"
#include "settings/tform15.h"
#include "settings/tform5.h"

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

TForm10::TForm10(Application& app) : TFormBase(app, QStringLiteral("確認"), 0) {
    buildWindow();
}

void TForm10::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(265, 113);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 249, 65);
    Label1 = new QLabel(QStringLiteral("削除しますか？"), Panel1);
    Label2 = new QLabel(Panel1);
    auto* lines = new QVBoxLayout(Panel1);
    lines->addWidget(Label1);
    lines->addWidget(Label2);

    BitBtn1 = new QPushButton(QStringLiteral("はい(&Y)"), this);
    BitBtn1->setGeometry(40, 80, 88, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("いいえ(&N)"), this);
    BitBtn2->setGeometry(137, 80, 88, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm10::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm10::BitBtn2Click);
}

void TForm10::BitBtn1Click() {
    try {
        YesAction();
    } catch (const std::exception& e) {
        app.showException(QString::fromUtf8(e.what()));
        return;
    }
    close();
}

void TForm10::BitBtn2Click() {
    close();
}

void TForm10::closeEvent(QCloseEvent* event) {
    event->accept();
    app.guarded([this] { FormClose(); });
}

void TForm10::YesAction() {
    switch (app.State.ConfirmKind) {
        case DeleteRecord:
            app.F.Main->UserTable.deleteCurrent();
            break;
        case ClearAdapterLog:
            ClearLog();
            break;
        case ChangePasswordCode:
            ChangePassword();
            break;
        case ResetTel1:
            ResetCharge(hg::ChargeResetTel1Command(), app.F.Form15->Panel2);
            break;
        case ResetTel2:
            ResetCharge(hg::ChargeResetTel2Command(), app.F.Form15->Panel4);
            break;
        case ResetDigital:
            ResetCharge(hg::ChargeResetDigitalCommand(), app.F.Form15->Panel6);
            break;
        default:
            break;
    }
}

void TForm10::ClearLog() {
    TComm& comm = app.F.Form11->Comm1;
    app.State.RxIndex = 0;
    comm.Open();
    try {
        comm.WriteText(hg::LogClearCommand());
    } catch (...) {
        comm.Close();
        throw;
    }
    app.F.Form5->DelayComClose(PortCloseDelay);
    app.State.LogImage[0] = 0;
    app.F.Form2->LogConv();
}

void TForm10::ChangePassword() {
    ProgramState& s = app.State;
    // The port is still open from the options window. Nothing changes here unless the adapter
    // was sent its new code.
    app.F.Form11->Comm1.WriteText(hg::PasswordSetCommand(s.NewPasswordCode));
    s.PasswordCode = s.NewPasswordCode;
    s.LogImage[0] = 255;
    // The adapter already holds the new code, so a settings file that cannot be written is told
    // and the window closes as usual.
    const IniFile ini(app.settingsPath());
    if (!ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET1"), s.PasswordCode) ||
        !ini.writeInteger(QStringLiteral("USER"), QStringLiteral("SET2"), s.UserSet2)) {
        app.showException(QStringLiteral("%1 に書き込めません。").arg(app.settingsPath()));
    }
}

void TForm10::ResetCharge(const QByteArray& command, QLabel* amount) {
    // The port message is the only window left, so that its OK leads to the options alone.
    if (!app.F.Main->ComOpen()) {
        app.F.Form15->hide();
        return;
    }
    app.F.Form11->Comm1.WriteText(command);
    amount->setText(ResetAmount);
}

void TForm10::FormClose() {
    switch (app.State.ConfirmKind) {
        case DeleteRecord:
            app.F.UserList->setEnabled(true);
            break;
        case ClearAdapterLog:
            app.F.Form2->setEnabled(true);
            break;
        case ChangePasswordCode:
            app.F.Form5->DelayComClose(PortCloseDelay);
            app.F.Main->MenuShow();
            break;
        case ResetTel1:
        case ResetTel2:
        case ResetDigital:
            app.F.Form5->DelayComClose(PortCloseDelay);
            app.F.Form15->setEnabled(true);
            break;
        default:
            break;
    }
}
