#include "windows/compactmenuwindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

#include "ui/artwork.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

CompactMenuWindow::CompactMenuWindow(WindowContext& context)
    : WindowBase(context, QStringLiteral("ＴＡＬＶＥ通話記録管理"), 22) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ui::artwork::applicationIcon());
    setClientSize(208, 31);
    callLogButton = addButton(1, 0, 32);
    phoneBookButton = addButton(2, 32, 32);
    dialButton = addButton(3, 64, 32);
    chargesButton = addButton(4, 96, 32);
    optionsButton = addButton(5, 128, 32);
    exitButton = addButton(6, 160, 32);
    standardMenuButton = addButton(7, 192, 16);
    using Command = Navigation::MenuCommand;
    const auto runs = [this](Command command) {
        return [this, command] { this->context.nav().runMenuCommand(command); };
    };
    connect(callLogButton, &QPushButton::clicked, this, runs(Command::CallLog));
    connect(phoneBookButton, &QPushButton::clicked, this, runs(Command::PhoneBook));
    connect(dialButton, &QPushButton::clicked, this, runs(Command::Dial));
    connect(chargesButton, &QPushButton::clicked, this, runs(Command::Charges));
    connect(optionsButton, &QPushButton::clicked, this, runs(Command::Options));
    connect(exitButton, &QPushButton::clicked, this, [this] { this->context.nav().exitProgram(); });
    connect(standardMenuButton, &QPushButton::clicked, this,
            &CompactMenuWindow::standardMenuClicked);

    contextMenu = new QMenu(this);
    standardMenuAction = contextMenu->addAction(QStringLiteral("メニュー標準化"), this,
                                                &CompactMenuWindow::standardMenuActionClicked);
    contextMenu->addSeparator();
    contextMenu->addAction(QStringLiteral("キャンセル"));
}

QPushButton* CompactMenuWindow::addButton(int command, int left, int width) {
    auto* button = new QPushButton(this);
    button->setGeometry(left, 0, width, 32);
    const int picture = width < 32 ? 14 : 26;
    button->setIcon(ui::artwork::menuPicture(command, picture));
    button->setIconSize(QSize(picture, picture));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void CompactMenuWindow::standardMenuClicked() {
    context.nav().useCompactMenu(false);
}

void CompactMenuWindow::standardMenuActionClicked() {
    standardMenuClicked();
}

void CompactMenuWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    context.nav().closeMainMenu();
}

void CompactMenuWindow::contextMenuEvent(QContextMenuEvent* event) {
    contextMenu->popup(event->globalPos());
}

void CompactMenuWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        WindowBase::mousePressEvent(event);
        return;
    }
    // Let the window manager move the window as if its caption were grabbed; where it cannot,
    // follow the mouse ourselves.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CompactMenuWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
    } else {
        dragging_ = false;
    }
}
