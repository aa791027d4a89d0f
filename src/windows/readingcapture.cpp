#include "windows/readingcapture.h"

#include <QInputMethodEvent>
#include <QWidget>

namespace {

constexpr char16_t ProlongedSound = u'ー';

bool isHiraganaChar(char16_t u) {
    return u >= 0x3041 && u <= 0x309F;
}

bool isHalfWidthKana(char16_t u) {
    return u >= 0xFF66 && u <= 0xFF9F;
}

// Hiragana, katakana (with the prolonged sound mark) and half-width katakana: what a
// composition holds before it is converted.
bool isKana(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool katakana = u >= 0x30A0 && u <= 0x30FF;
        if (!isHiraganaChar(u) && !katakana && !isHalfWidthKana(u)) {
            return false;
        }
    }
    return true;
}

// Hiragana, with the prolonged sound mark that hiragana input also uses.
bool isHiragana(const QString& text) {
    bool anyHiragana = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isHiraganaChar(u) && u != ProlongedSound) {
            return false;
        }
        anyHiragana = anyHiragana || isHiraganaChar(u);
    }
    return anyHiragana;
}

// A romaji "n" at the end of kana is still waiting for the next key; the conversion takes it
// as ん, so the reading does too.
QString withPendingN(const QString& preedit) {
    if (preedit.size() < 2) {
        return preedit;
    }
    const char16_t last = preedit.back().unicode();
    if (last != u'n' && last != u'N' && last != u'ｎ' && last != u'Ｎ') {
        return preedit;
    }
    const QString kana = preedit.chopped(1);
    if (isHiragana(kana)) {
        return kana + u'ん';
    }
    if (isKana(kana)) {
        return kana + (isHalfWidthKana(kana.back().unicode()) ? u'ﾝ' : u'ン');
    }
    return preedit;
}

}  // namespace

ReadingCapture::ReadingCapture(QObject* owner) : QObject(owner) {}

ReadingCapture::~ReadingCapture() {
    setControl(nullptr);
}

void ReadingCapture::setControl(QWidget* control) {
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

void ReadingCapture::resetComposition() {
    composing_ = false;
    hiraganaReading_.clear();
    kanaReading_.clear();
}

bool ReadingCapture::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_ || event->type() != QEvent::InputMethod) {
        return QObject::eventFilter(watched, event);
    }
    const auto* ime = static_cast<QInputMethodEvent*>(event);
    const QString committed = ime->commitString();
    const QString preedit = ime->preeditString();
    if (!committed.isEmpty()) {
        // A katakana candidate is a conversion of the hiragana typed: the reading stays as
        // typed. Katakana counts only when it was typed as such.
        const QString reading =
            !composing_ ? QString()
                        : (hiraganaReading_.isEmpty() ? kanaReading_ : hiraganaReading_);
        resetComposition();
        if (!reading.isEmpty() && onReading) {
            onReading(*this, reading);
        }
    }
    if (preedit.isEmpty()) {
        // An empty preedit without a commit ends the composition: it was cancelled.
        resetComposition();
    } else {
        composing_ = true;
        const QString reading = withPendingN(preedit);
        if (isHiragana(reading)) {
            hiraganaReading_ = reading;
        } else if (isKana(reading)) {
            kanaReading_ = reading;
        }
    }
    return false;
}
