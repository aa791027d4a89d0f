#pragma once

#include "windows/windowbase.h"

class QLabel;
class QPushButton;

// Tells the user that the COM port cannot be used and leads to the options.
class PortMessageWindow : public WindowBase {
    Q_OBJECT
public:
    explicit PortMessageWindow(WindowContext& app);

    void okClicked();

    QLabel* firstLine = nullptr;
    QLabel* secondLine = nullptr;
    QPushButton* okButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};
