#include "app/tform18.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

#include "app/application.h"
#include "app/tmain.h"
#include "ui/artwork.h"

TForm18::TForm18(Application& app) : TFormBase(app, QStringLiteral("ＴＡＬＶＥ通話記録管理"), 22) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(artwork::applicationIcon());
    setClientSize(208, 31);
    BitBtn1 = addButton(1, 0, 32);
    BitBtn2 = addButton(2, 32, 32);
    BitBtn3 = addButton(3, 64, 32);
    BitBtn4 = addButton(4, 96, 32);
    BitBtn5 = addButton(5, 128, 32);
    BitBtn6 = addButton(6, 160, 32);
    BitBtn7 = addButton(7, 192, 16);
    TMain* main = app.F.Main;
    connect(BitBtn1, &QPushButton::clicked, main, &TMain::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, main, &TMain::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, main, &TMain::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, main, &TMain::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, main, &TMain::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &QWidget::close);
    connect(BitBtn7, &QPushButton::clicked, this, &TForm18::BitBtn7Click);

    PopupMenu1 = new QMenu(this);
    K1 = PopupMenu1->addAction(QStringLiteral("メニュー標準化"), this, &TForm18::K1Click);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("キャンセル"));
}

QPushButton* TForm18::addButton(int command, int left, int width) {
    auto* button = new QPushButton(this);
    button->setGeometry(left, 0, width, 32);
    const int picture = width < 32 ? 14 : 26;
    button->setIcon(artwork::menuPicture(command, picture));
    button->setIconSize(QSize(picture, picture));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void TForm18::BitBtn7Click() {
    app.State.CompactMenu = 0;
    hide();
    app.F.Main->show();
}

void TForm18::K1Click() {
    BitBtn7Click();
}

void TForm18::closeEvent(QCloseEvent* event) {
    event->accept();
    app.F.Main->close();
}

void TForm18::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
}

void TForm18::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        TFormBase::mousePressEvent(event);
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

void TForm18::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
    } else {
        dragging_ = false;
    }
}
