#include "windows/mainmenuwindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/artwork.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int ClientWidth = 199;
constexpr int ClientHeight = 209;

}  // namespace

MainMenuWindow::MainMenuWindow(WindowContext& context, db::CallLogTable& callLog,
                               db::PhoneBookTable& phoneBook)
    : WindowBase(context, QStringLiteral("ＴＡＬＶＥ通話記録管理"), 22),
      callLogTable(callLog),
      phoneBookTable(phoneBook) {
    buildWindow();
}

MainMenuWindow::~MainMenuWindow() = default;

void MainMenuWindow::buildWindow() {
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(ui::artwork::applicationIcon());

    mainMenuBar = new QMenuBar(this);
    QMenu* run = mainMenuBar->addMenu(QStringLiteral("実行(&E)"));
    callLogAction =
        run->addAction(QStringLiteral("通話記録表"), this, &MainMenuWindow::callLogClicked);
    phoneBookAction =
        run->addAction(QStringLiteral("個人情報一覧表"), this, &MainMenuWindow::phoneBookClicked);
    dialAction = run->addAction(QStringLiteral("ダイヤル発信"), this, &MainMenuWindow::dialClicked);
    chargesAction =
        run->addAction(QStringLiteral("回線使用料"), this, &MainMenuWindow::chargesClicked);
    optionsAction =
        run->addAction(QStringLiteral("オプション設定"), this, &MainMenuWindow::optionsClicked);
    run->addSeparator();
    backgroundAction = run->addAction(QStringLiteral("常駐と自動受信"), this,
                                      [this] { this->context.nav().showBackgroundSettings(); });
    archiveAction = run->addAction(QStringLiteral("通話履歴"), this,
                                   [this] { this->context.nav().openArchive(); });
    restoreAction = run->addAction(QStringLiteral("バックアップから戻す"), this,
                                   [this] { context.nav().restoreFromBackup(); });
    storeAction = run->addAction(QStringLiteral("データの保存先"), this,
                                 [this] { context.nav().showStoreSettings(); });
    exitAction = run->addAction(QStringLiteral("終了"), this, &MainMenuWindow::exitClicked);
    QMenu* help = mainMenuBar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(QStringLiteral("目次(&C)"), this,
                    [this] { this->context.services.help.contents(); });
    help->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索(&S)..."), this,
                    [this] { this->context.services.help.keySearch(); });
    help->addAction(QStringLiteral("ﾍﾙﾌﾟの使い方(&H)"), this,
                    [this] { this->context.services.help.helpOnHelp(); });
    help->addSeparator();
    help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), this,
                    [this] { this->context.nav().showAbout(); });

    contextMenu = new QMenu(this);
    compactMenuAction = contextMenu->addAction(QStringLiteral("メニュー省略化"), this,
                                               &MainMenuWindow::compactMenuClicked);
    contextMenu->addSeparator();
    contextMenu->addAction(QStringLiteral("キャンセル"));

    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    menuBarRule = new QFrame(client);
    menuBarRule->setFrameShape(QFrame::HLine);
    menuBarRule->setFrameShadow(QFrame::Sunken);
    menuBarRule->setGeometry(0, 0, ClientWidth, 2);
    callLogButton = addCommandButton(QStringLiteral("　通話記録表 　　 "), 1, 8);
    phoneBookButton = addCommandButton(QStringLiteral("  個人情報一覧表"), 2, 41);
    dialButton = addCommandButton(QStringLiteral("　ダイヤル発信　　"), 3, 74);
    chargesButton = addCommandButton(QStringLiteral("  回線使用料金   "), 4, 107);
    optionsButton = addCommandButton(QStringLiteral("　オプション設定　"), 5, 140);
    exitButton = addCommandButton(QStringLiteral("　終　了　　   "), 6, 173);
    for (QPushButton* b :
         {callLogButton, phoneBookButton, dialButton, chargesButton, optionsButton, exitButton}) {
        b->setParent(client);
    }
    connect(callLogButton, &QPushButton::clicked, this, &MainMenuWindow::callLogClicked);
    connect(phoneBookButton, &QPushButton::clicked, this, &MainMenuWindow::phoneBookClicked);
    connect(dialButton, &QPushButton::clicked, this, &MainMenuWindow::dialClicked);
    connect(chargesButton, &QPushButton::clicked, this, &MainMenuWindow::chargesClicked);
    connect(optionsButton, &QPushButton::clicked, this, &MainMenuWindow::optionsClicked);
    connect(exitButton, &QPushButton::clicked, this, &MainMenuWindow::exitClicked);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(mainMenuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QPushButton* MainMenuWindow::addCommandButton(const QString& caption, int command, int top) {
    auto* button = new QPushButton(ui::artwork::menuPicture(command, 20), caption);
    QFont font = button->font();
    font.setBold(true);
    font.setPixelSize(16);
    button->setFont(font);
    button->setIconSize(QSize(20, 20));
    button->setGeometry((ClientWidth - 184) / 2, top, 184, 28);
    return button;
}

void MainMenuWindow::callLogClicked() {
    context.nav().runMenuCommand(Navigation::MenuCommand::CallLog);
}

void MainMenuWindow::phoneBookClicked() {
    context.nav().runMenuCommand(Navigation::MenuCommand::PhoneBook);
}

void MainMenuWindow::dialClicked() {
    context.nav().runMenuCommand(Navigation::MenuCommand::Dial);
}

void MainMenuWindow::chargesClicked() {
    context.nav().runMenuCommand(Navigation::MenuCommand::Charges);
}

void MainMenuWindow::optionsClicked() {
    context.nav().runMenuCommand(Navigation::MenuCommand::Options);
}

void MainMenuWindow::exitClicked() {
    context.nav().exitProgram();
}

void MainMenuWindow::compactMenuClicked() {
    context.nav().useCompactMenu(true);
}

void MainMenuWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    context.nav().mainMenuClosed();
}

void MainMenuWindow::contextMenuEvent(QContextMenuEvent* event) {
    contextMenu->popup(event->globalPos());
}
