#pragma once

#include <QValidator>

// Refuses an edit that would make the text longer than its table field holds, counted in
// Shift-JIS bytes (a double-byte character counting two).
class SjisLengthValidator : public QValidator {
    Q_OBJECT
public:
    SjisLengthValidator(int maxBytes, QObject* parent);

    State validate(QString& input, int& pos) const override;
    int maxBytes() const { return maxBytes_; }

private:
    int maxBytes_;
};
