#include "windows/windowbase.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include "windows/windowcontext.h"

WindowBase::WindowBase(WindowContext& windowContext, const QString& caption, int helpContext)
    : context(windowContext), helpContext_(helpContext) {
    setWindowTitle(caption);
}

void WindowBase::showHelp() {
    if (helpContext_ > 0) {
        context.services.help.context(helpContext_);
    }
}

namespace {

bool isReturnKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

void WindowBase::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && helpContext_ > 0) {
        showHelp();
        return;
    }
    // Outside a dialog a push button ignores Return unless it is the default one, and the key
    // would reach the window; the focused button is what the user means.
    if (isReturnKey(event)) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool WindowBase::isDefaultButtonKey(const QKeyEvent* event) const {
    return isReturnKey(event) && qobject_cast<QPushButton*>(focusWidget()) == nullptr;
}

void WindowBase::setClientSize(int width, int height) {
    setFixedSize(width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}
