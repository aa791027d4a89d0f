#pragma once

#include <QString>
#include <functional>

#include "rules/numberreader.h"
#include "ui/uiservices.h"

class Navigation;

// What every window uses of the run: the platform services, the navigation between windows and
// the error display. What else a window uses it receives on its own.
class WindowContext {
public:
    WindowContext(ui::UiServices services, Navigation& navigation);
    WindowContext(const WindowContext&) = delete;
    WindowContext& operator=(const WindowContext&) = delete;

    ui::UiServices services;
    // Where numbers come from and how they are shown to people, each number read once a run.
    rules::NumberReader numbers;

    Navigation& nav() { return navigation_; }

    // The application's general error display.
    void showException(const QString& text);
    // Runs fn and shows any error escaping it, as the event loop's default handler does.
    void guarded(const std::function<void()>& fn);

    // Ends the run: closing the main window ends the event loop.
    std::function<void()> onQuit;
    void quit();

private:
    Navigation& navigation_;
};
