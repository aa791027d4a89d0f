#pragma once

#include "windows/windowbase.h"

class QLabel;
class QPushButton;

// Tells the user that the COM port cannot be used and leads to the options. When the system
// refused the user access to the device, a third line tells how to get it.
class PortMessageWindow : public WindowBase {
    Q_OBJECT
public:
    explicit PortMessageWindow(WindowContext& app);

    void okClicked();

    QLabel* firstLine = nullptr;
    QLabel* secondLine = nullptr;
    QLabel* thirdLine = nullptr;
    QPushButton* okButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showPermissionLine(bool shown);
};
