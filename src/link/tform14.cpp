#include "link/tform14.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "app/application.h"
#include "settings/tform5.h"

TForm14::TForm14(Application& app) : TFormBase(app, QStringLiteral("確認"), 20) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setClientSize(301, 72);
    Label1 = new QLabel(QStringLiteral("この COMポートは既に使われているか利用できません。"), this);
    Label1->setGeometry(8, 6, 290, 16);
    Label2 = new QLabel(QStringLiteral("オプションで再度設定を行ってください。"), this);
    Label2->setGeometry(8, 22, 290, 16);
    Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Button1->setGeometry(113, 42, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm14::Button1Click);
}

void TForm14::Button1Click() {
    hide();
    app.F.Form5->OpsionSet();
}

// Every other window is hidden while this one shows, so its close box must lead on as well.
void TForm14::closeEvent(QCloseEvent* event) {
    event->accept();
    app.F.Form5->OpsionSet();
}
