#include "app/mainmenuwindow.h"

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

#include "app/aboutwindow.h"
#include "app/application.h"
#include "app/compactmenuwindow.h"
#include "app/inifile.h"
#include "app/settingskeys.h"
#include "app/splashwindow.h"
#include "calllog/calllogwindow.h"
#include "dial/dialpad.h"
#include "link/devicelink.h"
#include "link/portmessagewindow.h"
#include "phonebook/phonebookwindow.h"
#include "settings/optionswindow.h"
#include "ui/artwork.h"

namespace {

constexpr int ClientWidth = 199;
constexpr int ClientHeight = 209;

}  // namespace

MainMenuWindow::MainMenuWindow(Application& app)
    : WindowBase(app, QStringLiteral("ＴＡＬＶＥ通話記録管理"), 22),
      callLogTable(app.tableFolder()),
      phoneBookTable(app.tableFolder()),
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
    exitAction = run->addAction(QStringLiteral("終了"), this, &MainMenuWindow::exitClicked);
    QMenu* help = mainMenuBar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(QStringLiteral("目次(&C)"), this, [this] { this->app.Ui.help.contents(); });
    help->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索(&S)..."), this,
                    [this] { this->app.Ui.help.keySearch(); });
    help->addAction(QStringLiteral("ﾍﾙﾌﾟの使い方(&H)"), this,
                    [this] { this->app.Ui.help.helpOnHelp(); });
    help->addSeparator();
    help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), this, [this] {
        this->app.windows.about->show();
        this->app.windows.about->raise();
    });

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
        app.windows.deviceLink = app.own(new DeviceLink(app));

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
        s.compactMenuInUse = 0;
        for (const SettingsKey& key : SettingsKeys) {
            s.*key.member = ini.readInteger(QString::fromLatin1(key.section),
                                            QString::fromLatin1(key.name), s.*key.member);
        }

        app.windows.deviceLink->serialPort.setPort(static_cast<uint8_t>(s.ComPort));

        s.EnteredPasswordCode = 0;
        s.LogImage[0] = 255;
        s.ContinuousDial = 0;
        s.DialNumber.clear();
        s.adapterIdentified = 0;
        s.DialInProgress = 0;
        s.LogFilterMode = 0;

        callLogTable.OnFilterRecord = [this](const db::LogRow& row) {
            return acceptsCallLogRow(row);
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
    } catch (const std::exception& e) {
        app.showException(QString::fromUtf8(e.what()));
    }
}

void MainMenuWindow::endSplash() {
    splashTimer.setInterval(0);
    splash_.reset();
    showMenu();
}

void MainMenuWindow::showMenu() {
    if (app.State.compactMenuInUse == 1) {
        app.windows.compactMenu->show();
        app.windows.compactMenu->raise();
    } else {
        show();
        raise();
    }
}

void MainMenuWindow::sortPhoneBookByReading() {
    phoneBookTable.setIndex(db::PhoneBookTable::Index::Yomi);
}

bool MainMenuWindow::acceptsCallLogRow(const db::LogRow& row) const {
    switch (app.State.LogFilterMode) {
        case 0:
            return row.Kind == QStringLiteral("▲発信");
        case 1:
            return row.Kind == QStringLiteral("▽着信");
        case 2:
            return row.Kind == QStringLiteral("▽留守");
        default:
            return true;
    }
}

bool MainMenuWindow::openPort() {
    try {
        app.windows.deviceLink->serialPort.open();
    } catch (const std::exception&) {
        // The program keeps running so that the user can choose another port in the options.
        hide();
        app.windows.portMessage->show();
        return false;
    }
    return true;
}

void MainMenuWindow::closePort() {
    try {
        app.windows.deviceLink->serialPort.close();
    } catch (const std::exception&) {
        // Closing a port that has gone away has nothing left to report.
    }
}

void MainMenuWindow::callLogClicked() {
    hide();
    app.windows.compactMenu->hide();
    if (app.State.LogImage[0] == 255) {
        app.windows.deviceLink->startDownload();
        return;
    }
    CallLogWindow* callLog = app.windows.callLog;
    // A failed conversion is told; the window still shows the rows written, not a lost menu.
    app.guarded([callLog] { callLog->convertLog(); });
    callLog->show();
    callLog->raise();
}

void MainMenuWindow::phoneBookClicked() {
    hide();
    app.windows.compactMenu->hide();
    app.windows.phoneBook->showPhoneBook();
}

void MainMenuWindow::dialClicked() {
    hide();
    app.windows.compactMenu->hide();
    ProgramState& s = app.State;
    s.DialCaller = dialcaller::Menu;
    app.windows.dialPad->namePanel->clear();
    s.DialNumber.clear();
    s.exchangeStep = 0;
    s.dialOnOpen = 0;
    app.windows.deviceLink->dialPrologueTimer.setInterval(1);
}

void MainMenuWindow::chargesClicked() {
    hide();
    app.windows.compactMenu->hide();
    app.windows.deviceLink->requestCharges();
}

void MainMenuWindow::optionsClicked() {
    hide();
    app.windows.compactMenu->hide();
    app.windows.options->showOptions();
}

void MainMenuWindow::exitClicked() {
    close();
}

void MainMenuWindow::compactMenuClicked() {
    app.State.compactMenuInUse = 1;
    hide();
    app.windows.compactMenu->show();
}

void MainMenuWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    app.quit();
}

void MainMenuWindow::contextMenuEvent(QContextMenuEvent* event) {
    contextMenu->popup(event->globalPos());
}
