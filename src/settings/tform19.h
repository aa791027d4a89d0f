#pragma once

#include "app/tformbase.h"

class QFrame;
class QLabel;

// The borderless notice shown while the options are being saved.
class TForm19 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm19(Application& app);

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
};
