#include "windows/splashwindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "ui/artwork.h"

SplashWindow::SplashWindow() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(288, 208);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, ui::artwork::splashPicture());
}
