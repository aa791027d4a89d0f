#include "phonebook/tcompostring.h"

#include <QInputMethodEvent>
#include <QWidget>

namespace {

// Hiragana, katakana (with the prolonged sound mark) and half-width katakana: what a
// composition holds before it is converted.
bool isKana(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hiragana = u >= 0x3041 && u <= 0x309F;
        const bool katakana = u >= 0x30A0 && u <= 0x30FF;
        const bool halfWidth = u >= 0xFF66 && u <= 0xFF9F;
        if (!hiragana && !katakana && !halfWidth) {
            return false;
        }
    }
    return true;
}

}  // namespace

TCompoString::TCompoString(QObject* owner) : QObject(owner) {}

TCompoString::~TCompoString() {
    setControl(nullptr);
}

void TCompoString::setControl(QWidget* control) {
    if (control == control_) {
        return;
    }
    if (control_) {
        control_->removeEventFilter(this);
    }
    control_ = control;
    resetComposition();
    if (control_) {
        control_->installEventFilter(this);
    }
}

void TCompoString::resetComposition() {
    composing_ = false;
    reading_.clear();
}

bool TCompoString::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_ || event->type() != QEvent::InputMethod) {
        return QObject::eventFilter(watched, event);
    }
    const auto* ime = static_cast<QInputMethodEvent*>(event);
    const QString committed = ime->commitString();
    const QString preedit = ime->preeditString();
    if (!committed.isEmpty()) {
        const QString reading = composing_ ? reading_ : QString();
        resetComposition();
        if (!reading.isEmpty() && OnCompositionStr) {
            OnCompositionStr(*this, reading);
        }
    }
    if (preedit.isEmpty()) {
        // An empty preedit without a commit ends the composition: it was cancelled.
        resetComposition();
    } else {
        composing_ = true;
        if (isKana(preedit)) {
            reading_ = preedit;
        }
    }
    return false;
}
