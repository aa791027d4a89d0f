#pragma once

#include <QObject>

class QAbstractItemView;

namespace rules {
class NumberReader;
}

// Tooltips on a grid's number column: the number as people write it and where it comes from.
// Installed on the grid's viewport, so the grid's model stays as it is.
class NumberTips : public QObject {
    Q_OBJECT
public:
    NumberTips(QAbstractItemView* view, int column, const rules::NumberReader& numbers);

    // The tooltip for a number: "03-1234-5678　東京"; empty without digits.
    static QString tipText(const rules::NumberReader& numbers, const QString& number);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* view_;
    int column_;
    const rules::NumberReader& numbers_;
};
