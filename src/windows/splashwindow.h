#pragma once

#include <QWidget>

// The splash window: one 288 by 208 picture, borderless and centred, shown for the first 2000 ms.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    SplashWindow();

protected:
    void paintEvent(QPaintEvent* event) override;
};
