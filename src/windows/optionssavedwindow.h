#pragma once

#include "windows/windowbase.h"

class QFrame;
class QLabel;

// The borderless notice shown while the options are being saved.
class OptionsSavedWindow : public WindowBase {
    Q_OBJECT
public:
    explicit OptionsSavedWindow(WindowContext& context);

    QFrame* framePanel = nullptr;
    QLabel* picture = nullptr;
    QLabel* noticeLabel = nullptr;
};
