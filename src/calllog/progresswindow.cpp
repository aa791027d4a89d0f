#include "calllog/progresswindow.h"

#include <QCloseEvent>

#include "app/application.h"
#include "app/mainmenuwindow.h"
#include "link/devicelink.h"
#include "settings/optionswindow.h"
#include "settings/passwordwindow.h"
#include "ui/gauge.h"

namespace {

constexpr int PortCloseDelay = 500;

}  // namespace

ProgressWindow::ProgressWindow(Application& app)
    : WindowBase(app, QStringLiteral("通信記録　受信中"), 0) {
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
    app.windows.deviceLink->stopDownload();
    app.State.LogImage[0] = 255;
    // A password window still asking would start the abandoned download again.
    app.windows.password->hide();
    app.windows.options->closePortLater(PortCloseDelay);
    hide();
    app.windows.mainMenu->showMenu();
}
