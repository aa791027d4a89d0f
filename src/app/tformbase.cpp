#include "app/tformbase.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "app/application.h"

TFormBase::TFormBase(Application& application, const QString& caption, int helpContext)
    : app(application), helpContext_(helpContext) {
    setWindowTitle(caption);
}

void TFormBase::showHelp() {
    if (helpContext_ > 0) {
        app.Ui.help.context(helpContext_);
    }
}

void TFormBase::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && helpContext_ > 0) {
        showHelp();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFormBase::setClientSize(int width, int height) {
    setFixedSize(width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}
