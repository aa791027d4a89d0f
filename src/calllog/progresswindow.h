#pragma once

#include "app/windowbase.h"

namespace ui {
class Gauge;
}

// The progress window of the log download. Closing it abandons the download.
class ProgressWindow : public WindowBase {
    Q_OBJECT
public:
    explicit ProgressWindow(Application& app);

    ui::Gauge* gauge = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void abandonDownload();
};
