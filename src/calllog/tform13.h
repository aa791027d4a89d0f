#pragma once

#include "app/tformbase.h"

namespace ui {
class TGauge;
}

// The progress window of the log download. Closing it abandons the download.
class TForm13 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm13(Application& app);

    ui::TGauge* Gauge1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
};
