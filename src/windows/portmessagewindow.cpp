#include "windows/portmessagewindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "rules/logtexts.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

PortMessageWindow::PortMessageWindow(WindowContext& context, const adapter::DeviceLink& link)
    : WindowBase(context, QStringLiteral("確認"), 20), link_(link) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setClientSize(301, 72);
    firstLine =
        new QLabel(QStringLiteral("この COMポートは既に使われているか利用できません。"), this);
    firstLine->setGeometry(8, 6, 290, 16);
    secondLine = new QLabel(QStringLiteral("オプションで再度設定を行ってください。"), this);
    secondLine->setGeometry(8, 22, 290, 16);
    thirdLine = new QLabel(rules::PortPermissionText, this);
    thirdLine->hide();
    okButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    okButton->setGeometry(113, 42, 75, 25);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &PortMessageWindow::okClicked);
}

void PortMessageWindow::showEvent(QShowEvent* event) {
    showPermissionLine(link_.portOpenDenied());
    WindowBase::showEvent(event);
}

// The third line is one line however long its text: the window widens to hold it.
void PortMessageWindow::showPermissionLine(bool shown) {
    constexpr int NarrowWidth = 301;
    const int width =
        shown ? std::max(NarrowWidth, thirdLine->sizeHint().width() + 16) : NarrowWidth;
    thirdLine->setVisible(shown);
    thirdLine->setGeometry(8, 38, width - 16, 16);
    okButton->move((width - okButton->width()) / 2, shown ? 58 : 42);
    setClientSize(width, shown ? 88 : 72);
}

void PortMessageWindow::okClicked() {
    hide();
    context.nav().showOptions();
}

// Every other window is hidden while this one shows, so its close box must lead on as well.
void PortMessageWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    context.nav().showOptions();
}
