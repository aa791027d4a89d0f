#pragma once

#include "windows/windowbase.h"

class QLabel;
class QPushButton;

// The about window, shown on top of the menu without hiding it.
class AboutWindow : public WindowBase {
    Q_OBJECT
public:
    explicit AboutWindow(WindowContext& context);

    QLabel* versionLabel = nullptr;
    QPushButton* okButton = nullptr;
};
