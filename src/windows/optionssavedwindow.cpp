#include "windows/optionssavedwindow.h"

#include <QFrame>
#include <QLabel>

#include "ui/artwork.h"
#include "windows/windowcontext.h"

OptionsSavedWindow::OptionsSavedWindow(WindowContext& context)
    : WindowBase(context, QStringLiteral("設定保存中"), 0) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setClientSize(145, 41);
    framePanel = new QFrame(this);
    framePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    framePanel->setGeometry(0, 0, 145, 41);
    picture = new QLabel(framePanel);
    picture->setPixmap(ui::artwork::menuPicture(5, 17));
    picture->setGeometry(8, 10, 17, 17);
    noticeLabel = new QLabel(QStringLiteral("設定保存中"), framePanel);
    QFont font(QStringList{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                           QStringLiteral("monospace")});
    font.setBold(true);
    font.setPixelSize(19);
    noticeLabel->setFont(font);
    noticeLabel->setGeometry(32, 10, 110, 21);
}
