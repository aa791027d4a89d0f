#pragma once

#include <QWidget>

class WindowContext;

// What every window of the program shares: the run it belongs to and its help context, opened
// by F1.
class WindowBase : public QWidget {
    Q_OBJECT
public:
    WindowBase(WindowContext& context, const QString& caption, int helpContext = 0);

    int helpContext() const { return helpContext_; }
    // Shows the help at this window's context.
    void showHelp();

protected:
    // F1 opens the help; Return or Enter on a focused push button presses that button.
    void keyPressEvent(QKeyEvent* event) override;
    // Return or Enter while no push button has the focus: the key that presses the window's
    // default button.
    bool isDefaultButtonKey(const QKeyEvent* event) const;
    // Fixes the client area and centres the window on the screen.
    void setClientSize(int width, int height);

    WindowContext& context;

private:
    int helpContext_;
};
