#include "windows/formlook.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QStringList>

QFont gothicFont(int pixels, bool bold) {
    QFont font(QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                           QStringLiteral("IPAGothic"), QStringLiteral("sans-serif")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QPixmap makeTitlePicture(const QString& caption, int width, int height) {
    QPixmap picture(width, height);
    QPainter p(&picture);
    QLinearGradient band(0, 0, width, 0);
    band.setColorAt(0, QColor(0, 0, 128));
    band.setColorAt(1, QColor(0, 128, 192));
    p.fillRect(picture.rect(), band);
    p.setFont(gothicFont(height * 3 / 5, true));
    p.setPen(Qt::white);
    p.drawText(picture.rect().adjusted(10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
    return picture;
}

QFrame* makeTitlePanel(QWidget* parent, const QString& caption, int width) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedHeight(44);
    panel->setMinimumWidth(width);
    auto* picture = new QLabel(panel);
    picture->setGeometry(8, 4, 249, 36);
    picture->setPixmap(makeTitlePicture(caption, 249, 36));
    return panel;
}
