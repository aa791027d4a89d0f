#include "windows/trayicon.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include "ui/artwork.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

TrayIcon::TrayIcon(WindowContext& context) : context_(context) {
    using Command = Navigation::TrayCommand;
    menu = new QMenu;
    const auto add = [this](const QString& caption, Command command) {
        return menu->addAction(caption, this,
                               [this, command] { context_.nav().runTrayCommand(command); });
    };
    fetchNowAction = add(QStringLiteral("今すぐ受信"), Command::FetchNow);
    menu->addSeparator();
    callLogAction = add(QStringLiteral("通話記録表"), Command::CallLog);
    archiveAction = add(QStringLiteral("通話履歴"), Command::Archive);
    phoneBookAction = add(QStringLiteral("電話帳"), Command::PhoneBook);
    menu->addSeparator();
    settingsAction = add(QStringLiteral("設定"), Command::Settings);
    exitAction = add(QStringLiteral("終了"), Command::Exit);

    icon_ = new QSystemTrayIcon(ui::artwork::applicationIcon(), this);
    icon_->setContextMenu(menu);
    icon_->setToolTip(ui::applicationTitle());
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    activated();
                }
            });
}

TrayIcon::~TrayIcon() {
    delete menu;
}

void TrayIcon::setShown(bool shown) {
    icon_->setVisible(shown);
}

bool TrayIcon::isShown() const {
    return icon_->isVisible();
}

void TrayIcon::setToolTip(const QString& text) {
    icon_->setToolTip(text.isEmpty() ? ui::applicationTitle()
                                     : ui::applicationTitle() + u'\n' + text);
}

QString TrayIcon::toolTip() const {
    return icon_->toolTip();
}

void TrayIcon::showMessage(const QString& title, const QString& text) {
    icon_->showMessage(title, text, QSystemTrayIcon::Information);
}

void TrayIcon::activated() {
    context_.nav().bringWindowInUseToFront();
}
