#include "windows/windowcontext.h"

#include <exception>

WindowContext::WindowContext(ui::UiServices services, Navigation& navigation)
    : services(services), navigation_(navigation) {}

void WindowContext::showException(const QString& text) {
    services.dialogs.showError(text);
}

void WindowContext::guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        showException(QString::fromUtf8(e.what()));
    }
}

void WindowContext::quit() {
    if (onQuit) {
        onQuit();
    }
}
