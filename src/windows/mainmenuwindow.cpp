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
#include <exception>

#include "rules/logfilter.h"
#include "state/inifile.h"
#include "state/settingskeys.h"
#include "ui/artwork.h"
#include "windows/navigation.h"
#include "windows/splashwindow.h"
#include "windows/windowcontext.h"

namespace {

constexpr int ClientWidth = 199;
constexpr int ClientHeight = 209;

}  // namespace

MainMenuWindow::MainMenuWindow(WindowContext& app)
    : WindowBase(app, QStringLiteral("ＴＡＬＶＥ通話記録管理"), 22),
      callLogTable(app.callLogTable),
      phoneBookTable(app.phoneBookTable),
      splashTimer(app.Ui.timers) {
    splashTimer.OnTimer = [this] { endSplash(); };
    buildWindow();
    startUp();
}

MainMenuWindow::~MainMenuWindow() = default;

void MainMenuWindow::buildWindow() {
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(artwork::applicationIcon());

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
    archiveAction =
        run->addAction(QStringLiteral("通話履歴"), this, [this] { this->app.nav().openArchive(); });
    exitAction = run->addAction(QStringLiteral("終了"), this, &MainMenuWindow::exitClicked);
    QMenu* help = mainMenuBar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(QStringLiteral("目次(&C)"), this, [this] { this->app.Ui.help.contents(); });
    help->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索(&S)..."), this,
                    [this] { this->app.Ui.help.keySearch(); });
    help->addAction(QStringLiteral("ﾍﾙﾌﾟの使い方(&H)"), this,
                    [this] { this->app.Ui.help.helpOnHelp(); });
    help->addSeparator();
    help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), this,
                    [this] { this->app.nav().showAbout(); });

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
    auto* button = new QPushButton(artwork::menuPicture(command, 20), caption);
    QFont font = button->font();
    font.setBold(true);
    font.setPixelSize(16);
    button->setFont(font);
    button->setIconSize(QSize(20, 20));
    button->setGeometry((ClientWidth - 184) / 2, top, 184, 28);
    return button;
}

void MainMenuWindow::startUp() {
    try {
        splash_ = std::make_unique<SplashWindow>();
        splash_->show();
        splash_->repaint();

        splashTimer.setInterval(2000);

        ProgramState& s = app.State;
        const IniFile ini(app.settingsPath());
        s.ComPort = 1;
        s.DialLine = 1;
        s.LogModeTel1 = 3;
        s.LogModeTel2 = 3;
        s.PasswordCode = 0;
        s.passwordNumber = 0;
        s.clockDriftSetting = 99;
        s.adapterModel = 0;
        s.compactMenuInUse = false;
        for (const SettingsKey& key : SettingsKeys) {
            s.*key.member = ini.readInteger(QString::fromLatin1(key.section),
                                            QString::fromLatin1(key.name), s.*key.member);
        }

        app.link.serialPort.setPort(static_cast<uint8_t>(s.ComPort));

        s.EnteredPasswordCode = 0;
        s.logImage.markStale();
        s.ContinuousDial = false;
        s.DialNumber.clear();
        s.adapterIdentified = false;
        s.DialInProgress = false;
        s.LogFilterMode = 0;

        callLogTable.OnFilterRecord = [&s](const db::LogRow& row) {
            return calllog::acceptsLogRow(s.LogFilterMode, row);
        };
        callLogTable.setExclusive(true);
        callLogTable.createTable();
        callLogTable.open();

        if (!phoneBookTable.fileExists()) {
            phoneBookTable.createTable();
        }
        phoneBookTable.setExclusive(true);
        phoneBookTable.open();

        sortPhoneBookByReading();

        for (auto& entry : s.RedialList) {
            entry.clear();
        }
        s.RedialCount = 0;

        // Last: an archive that cannot be used is told and leaves the rest of the start as is.
        app.callArchive.setExclusive(true);
        app.callArchive.open();
    } catch (const std::exception& e) {
        app.showException(QString::fromUtf8(e.what()));
    }
}

void MainMenuWindow::endSplash() {
    splashTimer.setInterval(0);
    splash_.reset();
    app.nav().showMenu();
}

void MainMenuWindow::sortPhoneBookByReading() {
    phoneBookTable.setIndex(db::PhoneBookTable::Index::Yomi);
}

void MainMenuWindow::callLogClicked() {
    app.nav().runMenuCommand(Navigation::MenuCommand::CallLog);
}

void MainMenuWindow::phoneBookClicked() {
    app.nav().runMenuCommand(Navigation::MenuCommand::PhoneBook);
}

void MainMenuWindow::dialClicked() {
    app.nav().runMenuCommand(Navigation::MenuCommand::Dial);
}

void MainMenuWindow::chargesClicked() {
    app.nav().runMenuCommand(Navigation::MenuCommand::Charges);
}

void MainMenuWindow::optionsClicked() {
    app.nav().runMenuCommand(Navigation::MenuCommand::Options);
}

void MainMenuWindow::exitClicked() {
    close();
}

void MainMenuWindow::compactMenuClicked() {
    app.nav().useCompactMenu(true);
}

void MainMenuWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    app.quit();
}

void MainMenuWindow::contextMenuEvent(QContextMenuEvent* event) {
    contextMenu->popup(event->globalPos());
}
