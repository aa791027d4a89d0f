#include "windows/portmessagewindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "windows/navigation.h"
#include "windows/windowcontext.h"

PortMessageWindow::PortMessageWindow(WindowContext& app)
    : WindowBase(app, QStringLiteral("確認"), 20) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setClientSize(301, 72);
    firstLine =
        new QLabel(QStringLiteral("この COMポートは既に使われているか利用できません。"), this);
    firstLine->setGeometry(8, 6, 290, 16);
    secondLine = new QLabel(QStringLiteral("オプションで再度設定を行ってください。"), this);
    secondLine->setGeometry(8, 22, 290, 16);
    okButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    okButton->setGeometry(113, 42, 75, 25);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &PortMessageWindow::okClicked);
}

void PortMessageWindow::okClicked() {
    hide();
    app.nav().showOptions();
}

// Every other window is hidden while this one shows, so its close box must lead on as well.
void PortMessageWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    app.nav().showOptions();
}
