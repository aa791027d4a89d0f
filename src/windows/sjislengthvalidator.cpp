#include "windows/sjislengthvalidator.h"

#include "ui/sjis.h"

SjisLengthValidator::SjisLengthValidator(int maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State SjisLengthValidator::validate(QString& input, int&) const {
    return ui::sjis::byteLength(input) <= maxBytes_ ? Acceptable : Invalid;
}
