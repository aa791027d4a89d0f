#pragma once

#include <QPoint>

#include "app/tformbase.h"

class QMenu;
class QAction;
class QPushButton;

// The compact menu: the six commands as picture buttons in one small tool window, moved by
// dragging anywhere on it.
class TForm18 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm18(Application& app);

    // Back to the main window.
    void BitBtn7Click();
    void K1Click();

    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* K1 = nullptr;

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
