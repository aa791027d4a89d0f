#include "windows/formlook.h"

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
