#include "ui/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ui::artwork {
namespace {

struct Glyph {
    QColor colour;
    QString text;
};

Glyph glyphFor(int command) {
    switch (command) {
        case 1:
            return {QColor(0x1f, 0x6f, 0xb5), QStringLiteral("記")};
        case 2:
            return {QColor(0x2e, 0x8b, 0x57), QStringLiteral("帳")};
        case 3:
            return {QColor(0xd2, 0x69, 0x1e), QStringLiteral("☎")};
        case 4:
            return {QColor(0xb8, 0x86, 0x0b), QStringLiteral("¥")};
        case 5:
            return {QColor(0x6a, 0x5a, 0xcd), QStringLiteral("設")};
        case 6:
            return {QColor(0xb2, 0x22, 0x22), QStringLiteral("終")};
        default:
            return {QColor(0x70, 0x80, 0x90), QStringLiteral("▲")};
    }
}

}  // namespace

QPixmap menuPicture(int command, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const Glyph g = glyphFor(command);
    p.setBrush(g.colour);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 5.0, size / 5.0);
    QFont font;
    font.setBold(true);
    font.setPixelSize(size * 6 / 10);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(pixmap.rect(), Qt::AlignCenter, g.text);
    return pixmap;
}

QPixmap splashPicture() {
    QPixmap pixmap(288, 208);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 208);
    sky.setColorAt(0, QColor(0x0b, 0x3d, 0x91));
    sky.setColorAt(1, QColor(0x4f, 0x9d, 0xe8));
    p.fillRect(pixmap.rect(), sky);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    for (int i = 0; i < 5; ++i) {
        QPainterPath wave;
        wave.moveTo(0, 150 + i * 10);
        wave.cubicTo(96, 130 + i * 10, 192, 170 + i * 10, 288, 150 + i * 10);
        p.drawPath(wave);
    }
    QFont title;
    title.setBold(true);
    title.setPixelSize(26);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 40, 288, 40), Qt::AlignCenter, QStringLiteral("ＴＡＬＶＥ"));
    QFont sub;
    sub.setPixelSize(18);
    p.setFont(sub);
    p.drawText(QRect(0, 85, 288, 30), Qt::AlignCenter, QStringLiteral("通話記録管理"));
    sub.setPixelSize(12);
    p.setFont(sub);
    p.drawText(QRect(0, 118, 288, 20), Qt::AlignCenter, QStringLiteral("Ver 1.1"));
    return pixmap;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(menuPicture(3, size));
    }
    return icon;
}

}  // namespace ui::artwork
