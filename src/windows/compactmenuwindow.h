#pragma once

#include <QPoint>

#include "windows/windowbase.h"

class QMenu;
class QAction;
class QPushButton;

// The compact menu: the six commands as picture buttons in one small tool window, moved by
// dragging anywhere on it.
class CompactMenuWindow : public WindowBase {
    Q_OBJECT
public:
    explicit CompactMenuWindow(WindowContext& context);

    // Back to the main window.
    void standardMenuClicked();
    void standardMenuActionClicked();

    QPushButton* callLogButton = nullptr;
    QPushButton* phoneBookButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* chargesButton = nullptr;
    QPushButton* optionsButton = nullptr;
    QPushButton* exitButton = nullptr;
    QPushButton* standardMenuButton = nullptr;
    QMenu* contextMenu = nullptr;
    QAction* standardMenuAction = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPushButton* addButton(int command, int left, int width);

    QPoint dragOffset_;
    bool dragging_ = false;
};
