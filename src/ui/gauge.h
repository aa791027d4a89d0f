#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// A horizontal progress bar with its percentage written across it. Values beyond the range show
// as its ends.
class Gauge : public QWidget {
    Q_OBJECT
public:
    explicit Gauge(QWidget* parent = nullptr);

    int progress() const { return progress_; }
    void setProgress(int value);
    int minValue() const { return minValue_; }
    int maxValue() const { return maxValue_; }
    // The share of the range the bar covers, 0 to 100.
    int percentDone() const;

    QColor barColor = Qt::blue;
    QColor backgroundColor = Qt::white;
    QColor textColor = Qt::white;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
};

}  // namespace ui
