#pragma once

#include "adapter/devicelink.h"
#include "windows/windowbase.h"

class QLabel;
class QPushButton;

// Tells the user that the COM port cannot be used and leads to the options. When the system
// refused the user access to the device, a third line tells how to get it.
class PortMessageWindow : public WindowBase {
    Q_OBJECT
public:
    PortMessageWindow(WindowContext& context, const adapter::DeviceLink& link);

    void okClicked();

    QLabel* firstLine = nullptr;
    QLabel* secondLine = nullptr;
    QLabel* thirdLine = nullptr;
    QPushButton* okButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    const adapter::DeviceLink& link_;
    void showPermissionLine(bool shown);
};
