#pragma once

#include "app/tformbase.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the password when the adapter guards its log with a code the user has not yet
// entered in this run; the log download waits for it.
class TForm7 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm7(Application& app);

    void Button2Click();  // "確認"
    void Button1Click();  // "キャンセル"

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
};
