#pragma once

#include "adapter/devicelink.h"
#include "windows/windowbase.h"

namespace ui {
class Gauge;
}

// The progress window of the log download. Closing it abandons the download.
class ProgressWindow : public WindowBase {
    Q_OBJECT
public:
    ProgressWindow(WindowContext& context, adapter::DeviceLink& link);

    void showStarted();
    void showProgress(int percent);
    void showFinished();
    // Closes and tells the user that the log could not be received.
    void showFailed();

    ui::Gauge* gauge = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    adapter::DeviceLink& link_;
    void abandonDownload();
};
