#pragma once

#include "app/tformbase.h"

class QLabel;
class QPushButton;

// The about window, shown on top of the menu without hiding it.
class TForm12 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm12(Application& app);

    QLabel* Label1 = nullptr;
    QPushButton* OKButton = nullptr;
};
