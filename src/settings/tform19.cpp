#include "settings/tform19.h"

#include <QFrame>
#include <QLabel>

#include "app/application.h"
#include "ui/artwork.h"

TForm19::TForm19(Application& app) : TFormBase(app, QStringLiteral("設定保存中"), 0) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setClientSize(145, 41);
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 0, 145, 41);
    Image1 = new QLabel(Panel1);
    Image1->setPixmap(artwork::menuPicture(5, 17));
    Image1->setGeometry(8, 10, 17, 17);
    Label1 = new QLabel(QStringLiteral("設定保存中"), Panel1);
    QFont font(QStringList{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                           QStringLiteral("monospace")});
    font.setBold(true);
    font.setPixelSize(19);
    Label1->setFont(font);
    Label1->setGeometry(32, 10, 110, 21);
}
