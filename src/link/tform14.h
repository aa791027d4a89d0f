#pragma once

#include "app/tformbase.h"

class QLabel;
class QPushButton;

// Tells the user that the COM port cannot be used and leads to the options.
class TForm14 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm14(Application& app);

    void Button1Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};
