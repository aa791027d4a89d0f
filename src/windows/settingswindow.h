#pragma once

#include <QString>

#include "windows/windowbase.h"

class QPushButton;
class QVBoxLayout;

// A small settings window: a title band over the settings, OK and キャンセル at their foot, and
// Enter for OK unless another button has the focus. OK keeps the settings through keep(); a
// failure thrown from it is told and the window stays.
class SettingsWindow : public WindowBase {
    Q_OBJECT
public:
    SettingsWindow(WindowContext& context, const QString& title);

    void okClicked();
    void cancelClicked();

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    // Puts the title band over settings, a layout the window filled, and the buttons under them.
    void frame(QVBoxLayout* settings, int width);
    // Shows the window in front, OK focused.
    void showInFront();
    // Keeps what the window shows; false to stay open, what was wrong already told.
    virtual bool keep() = 0;
    // Runs when the window has closed, by any way.
    virtual void closed() = 0;

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString title_;
};
