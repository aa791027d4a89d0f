#pragma once

#include <QWidget>

// The splash window: one 288 by 208 picture, borderless and centred, shown for the first 2000 ms.
class TForm16 : public QWidget {
    Q_OBJECT
public:
    TForm16();

protected:
    void paintEvent(QPaintEvent* event) override;
};
