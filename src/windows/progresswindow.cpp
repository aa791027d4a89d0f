#include "windows/progresswindow.h"

#include <QCloseEvent>

#include "ui/dialogs.h"
#include "ui/gauge.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

ProgressWindow::ProgressWindow(WindowContext& context, adapter::DeviceLink& link)
    : WindowBase(context, QStringLiteral("通信記録　受信中"), 0), link_(link) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(177, 25);
    gauge = new ui::Gauge(this);
    gauge->setGeometry(0, 2, 177, 20);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    abandonDownload();
}

void ProgressWindow::abandonDownload() {
    link_.abandonDownload();
    hide();
    context.nav().showMenu();
}

void ProgressWindow::showStarted() {
    show();
    raise();
}

void ProgressWindow::showProgress(int percent) {
    gauge->setProgress(percent);
}

void ProgressWindow::showFinished() {
    hide();
    gauge->setProgress(0);
}

void ProgressWindow::showFailed() {
    showFinished();
    context.services.dialogs.messageBox(
        nullptr,
        QStringLiteral(
            "HGから通話記録を受信できませんでした。\nケーブルの接続とHGの電源を確認してください。"),
        ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}
