#include "app/tform16.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "ui/artwork.h"

TForm16::TForm16() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(288, 208);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TForm16::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, artwork::splashPicture());
}
