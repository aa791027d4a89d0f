#pragma once

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class WindowContext;

// The program's icon in the desktop's notification area while it stays resident: its tooltip
// tells the state of the scheduled download, its menu reaches the main windows, and a click on
// it brings back the window in use.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(WindowContext& context);
    ~TrayIcon() override;

    void setShown(bool shown);
    bool isShown() const;
    void setToolTip(const QString& text);
    QString toolTip() const;
    // A message from the icon itself, where the desktop has no notification service.
    void showMessage(const QString& title, const QString& text);

    QMenu* menu = nullptr;
    QAction* fetchNowAction = nullptr;   // "今すぐ受信"
    QAction* callLogAction = nullptr;    // "通話記録表"
    QAction* archiveAction = nullptr;    // "通話履歴"
    QAction* phoneBookAction = nullptr;  // "電話帳"
    QAction* settingsAction = nullptr;   // "設定"
    QAction* exitAction = nullptr;       // "終了"

    // The icon was clicked.
    void activated();

private:
    WindowContext& context_;
    QSystemTrayIcon* icon_ = nullptr;
};
