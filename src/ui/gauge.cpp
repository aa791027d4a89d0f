#include "ui/gauge.h"

#include <QPainter>
#include <algorithm>

namespace ui {

Gauge::Gauge(QWidget* parent) : QWidget(parent) {}

void Gauge::setProgress(int value) {
    const int clamped = std::clamp(value, minValue_, maxValue_);
    if (clamped != progress_) {
        progress_ = clamped;
        update();
    }
}

int Gauge::percentDone() const {
    return (progress_ - minValue_) * 100 / (maxValue_ - minValue_);
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, backgroundColor);
    QRect bar = area;
    bar.setWidth(area.width() * percentDone() / 100);
    painter.fillRect(bar, barColor);
    const QString text = QString::number(percentDone()) + u'%';
    // The text reads in textColor over the bar and in the bar's colour over the empty part.
    painter.setClipRect(bar);
    painter.setPen(textColor);
    painter.drawText(area, Qt::AlignCenter, text);
    painter.setClipRect(area.adjusted(bar.width(), 0, 0, 0));
    painter.setPen(barColor);
    painter.drawText(area, Qt::AlignCenter, text);
    painter.setClipping(false);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

}  // namespace ui
