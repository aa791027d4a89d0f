#include "settings/tform7.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/application.h"
#include "app/tmain.h"
#include "calllog/tform13.h"
#include "link/tform11.h"
#include "settings/formlook.h"
#include "settings/password.h"
#include "settings/tform5.h"
#include "ui/tgauge.h"

TForm7::TForm7(Application& app) : TFormBase(app, QStringLiteral("パスワード入力"), 19) {
    buildWindow();
}

void TForm7::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(settings::GothicFont(12));
    setClientSize(240, 99);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 0, 225, 73);
    Label1 = new QLabel(QStringLiteral("パスワードを入力してください"), Panel1);
    Label1->setFont(settings::GothicFont(16, true));
    Label1->setGeometry(8, 8, 209, 16);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setFont(settings::GothicFont(19, true));
    Edit1->setGeometry(48, 32, 57, 27);
    Edit1->setMaxLength(4);
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Button2 = new QPushButton(QStringLiteral("確認"), Panel1);
    Button2->setGeometry(128, 32, 73, 25);
    Button2->setDefault(true);
    Button1 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button1->setGeometry(160, 74, 73, 25);

    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
}

void TForm7::Button2Click() {
    ProgramState& s = app.State;
    const auto number = settings::PasswordNumber(Edit1->text());
    if (!number) {
        app.Ui.dialogs.messageBox(this,
                                  QStringLiteral("パスワードは半角数字４桁を入力してください"),
                                  ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    s.EnteredPasswordCode = settings::PasswordCodeOf(*number);
    if (s.PasswordCode != s.EnteredPasswordCode && s.PasswordCode != 0) {
        // A wrong password is not told: the download simply stops where it stands.
        app.F.Main->show();
        close();
        return;
    }
    close();
    TForm11* link = app.F.Form11;
    app.F.Form13->Gauge1->setProgress(10);
    link->Timer2.setInterval(0);
    // Last, because a request that cannot be sent ends the download.
    link->LogDataLoad();
}

void TForm7::Button1Click() {
    app.F.Form5->OpsionSet();
    close();
}

// Enter confirms, as the default button of a dialog would, unless another button has the focus.
void TForm7::keyPressEvent(QKeyEvent* event) {
    if (isDefaultButtonKey(event)) {
        Button2->click();
        return;
    }
    TFormBase::keyPressEvent(event);
}
