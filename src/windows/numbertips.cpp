#include "windows/numbertips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

#include "rules/numberreader.h"
#include "rules/telnumber.h"

NumberTips::NumberTips(QAbstractItemView* view, int column, const rules::NumberReader& numbers)
    : QObject(view), view_(view), column_(column), numbers_(numbers) {
    view->viewport()->installEventFilter(this);
}

QString NumberTips::tipText(const rules::NumberReader& numbers, const QString& number) {
    if (rules::lookupDigits(rules::normalizeNumber(number)).isEmpty()) {
        return QString();
    }
    const QString place = numbers.placeOf(number);
    const QString shown = numbers.shownNumber(number);
    return place.isEmpty() ? shown : shown + QStringLiteral("　") + place;
}

bool NumberTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip || watched != view_->viewport()) {
        return QObject::eventFilter(watched, event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = view_->indexAt(help->pos());
    const QString tip = index.isValid() && index.column() == column_
                            ? tipText(numbers_, index.data().toString())
                            : QString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, view_->viewport());
    }
    return true;
}
