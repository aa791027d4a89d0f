#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

// Watches one edit control's input-method events and reports the reading of every committed
// conversion: the last preedit text of the composition that was still hiragana (a pending romaji
// n counted as ん) before the input method turned it into kanji or katakana; the last katakana
// preedit when no hiragana was typed. A cancelled composition and text typed without the input
// method report nothing. The reading is reported before the control inserts the committed text.
class ReadingCapture : public QObject {
    Q_OBJECT
public:
    using ReadingHandler = std::function<void(ReadingCapture& capture, const QString& reading)>;

    explicit ReadingCapture(QObject* owner = nullptr);
    ~ReadingCapture() override;

    QWidget* control() const { return control_; }
    void setControl(QWidget* control);

    ReadingHandler onReading;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void resetComposition();

    QPointer<QWidget> control_;
    bool composing_ = false;
    QString hiraganaReading_;
    QString kanaReading_;
};
