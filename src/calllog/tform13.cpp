#include "calllog/tform13.h"

#include <QCloseEvent>

#include "app/application.h"
#include "app/tmain.h"
#include "link/tform11.h"
#include "settings/tform5.h"
#include "settings/tform7.h"
#include "ui/tgauge.h"

namespace {

constexpr int PortCloseDelay = 500;

}  // namespace

TForm13::TForm13(Application& app) : TFormBase(app, QStringLiteral("通信記録　受信中"), 0) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(177, 25);
    Gauge1 = new ui::TGauge(this);
    Gauge1->setGeometry(0, 2, 177, 20);
}

void TForm13::closeEvent(QCloseEvent* event) {
    event->accept();
    FormClose();
}

void TForm13::FormClose() {
    TForm11* link = app.F.Form11;
    link->Timer1.setInterval(0);
    link->Timer2.setInterval(0);
    app.State.LogImage[0] = 255;
    // A password window still asking would start the abandoned download again.
    app.F.Form7->hide();
    app.F.Form5->DelayComClose(PortCloseDelay);
    hide();
    app.F.Main->MenuShow();
}
