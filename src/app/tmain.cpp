#include "app/tmain.h"

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

#include "app/application.h"
#include "app/inifile.h"
#include "app/settingskeys.h"
#include "app/tform12.h"
#include "app/tform16.h"
#include "app/tform18.h"
#include "calllog/tform2.h"
#include "dial/tdialsystem.h"
#include "link/tform11.h"
#include "link/tform14.h"
#include "phonebook/tuserlist.h"
#include "settings/tform5.h"
#include "ui/artwork.h"

namespace {

constexpr int ClientWidth = 199;
constexpr int ClientHeight = 209;

}  // namespace

TMain::TMain(Application& app)
    : TFormBase(app, QStringLiteral("ＴＡＬＶＥ通話記録管理"), 22),
      LogTable(app.tableFolder()),
      UserTable(app.tableFolder()),
      Timer1(app.Ui.timers) {
    Timer1.OnTimer = [this] { Timer1Timer(); };
    buildWindow();
    FormCreate();
}

TMain::~TMain() = default;

void TMain::buildWindow() {
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(artwork::applicationIcon());

    MainMenu1 = new QMenuBar(this);
    QMenu* run = MainMenu1->addMenu(QStringLiteral("実行(&E)"));
    K1 = run->addAction(QStringLiteral("通話記録表"), this, &TMain::BitBtn1Click);
    K2 = run->addAction(QStringLiteral("個人情報一覧表"), this, &TMain::BitBtn2Click);
    K3 = run->addAction(QStringLiteral("ダイヤル発信"), this, &TMain::BitBtn3Click);
    K4 = run->addAction(QStringLiteral("回線使用料"), this, &TMain::BitBtn4Click);
    K6 = run->addAction(QStringLiteral("オプション設定"), this, &TMain::BitBtn5Click);
    run->addSeparator();
    K5 = run->addAction(QStringLiteral("終了"), this, &TMain::BitBtn6Click);
    QMenu* help = MainMenu1->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(QStringLiteral("目次(&C)"), this, [this] { this->app.Ui.help.contents(); });
    help->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索(&S)..."), this,
                    [this] { this->app.Ui.help.keySearch(); });
    help->addAction(QStringLiteral("ﾍﾙﾌﾟの使い方(&H)"), this,
                    [this] { this->app.Ui.help.helpOnHelp(); });
    help->addSeparator();
    help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), this, [this] {
        this->app.F.Form12->show();
        this->app.F.Form12->raise();
    });

    PopupMenu1 = new QMenu(this);
    K7 = PopupMenu1->addAction(QStringLiteral("メニュー省略化"), this, &TMain::K7Click);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("キャンセル"));

    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    Bevel1 = new QFrame(client);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(0, 0, ClientWidth, 2);
    BitBtn1 = addCommandButton(QStringLiteral("　通話記録表 　　 "), 1, 8);
    BitBtn2 = addCommandButton(QStringLiteral("  個人情報一覧表"), 2, 41);
    BitBtn3 = addCommandButton(QStringLiteral("　ダイヤル発信　　"), 3, 74);
    BitBtn4 = addCommandButton(QStringLiteral("  回線使用料金   "), 4, 107);
    BitBtn5 = addCommandButton(QStringLiteral("　オプション設定　"), 5, 140);
    BitBtn6 = addCommandButton(QStringLiteral("　終　了　　   "), 6, 173);
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6}) {
        b->setParent(client);
    }
    connect(BitBtn1, &QPushButton::clicked, this, &TMain::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TMain::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TMain::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TMain::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TMain::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TMain::BitBtn6Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QPushButton* TMain::addCommandButton(const QString& caption, int command, int top) {
    auto* button = new QPushButton(artwork::menuPicture(command, 20), caption);
    QFont font = button->font();
    font.setBold(true);
    font.setPixelSize(16);
    button->setFont(font);
    button->setIconSize(QSize(20, 20));
    button->setGeometry((ClientWidth - 184) / 2, top, 184, 28);
    return button;
}

void TMain::FormCreate() {
    try {
        app.F.Form11 = app.own(new TForm11(app));

        splash_ = std::make_unique<TForm16>();
        splash_->show();
        splash_->repaint();

        Timer1.setInterval(2000);

        ProgramState& s = app.State;
        const IniFile ini(app.settingsPath());
        s.ComPort = 1;
        s.DialLine = 1;
        s.LogModeTel1 = 3;
        s.LogModeTel2 = 3;
        s.PasswordCode = 0;
        s.UserSet2 = 0;
        s.HgTimeSetting = 99;
        s.TaModel = 0;
        s.CompactMenu = 0;
        for (const SettingsKey& key : SettingsKeys) {
            s.*key.member = ini.readInteger(QString::fromLatin1(key.section),
                                            QString::fromLatin1(key.name), s.*key.member);
        }

        app.F.Form11->Comm1.setPort(static_cast<uint8_t>(s.ComPort));

        s.EnteredPasswordCode = 0;
        s.LogImage[0] = 255;
        s.ContinuousDial = 0;
        s.DialNumber.clear();
        s.DeviceReady = 0;
        s.DialInProgress = 0;
        s.LogFilterMode = 0;

        LogTable.OnFilterRecord = [this](const db::LogRow& row) {
            return LogTableFilterRecord(row);
        };
        LogTable.setExclusive(true);
        LogTable.createTable();
        LogTable.open();

        if (!UserTable.fileExists()) {
            UserTable.createTable();
        }
        UserTable.setExclusive(true);
        UserTable.open();

        UserListSort();

        for (auto& entry : s.RedialList) {
            entry.clear();
        }
        s.RedialCount = 0;
    } catch (const std::exception& e) {
        app.showException(QString::fromUtf8(e.what()));
    }
}

void TMain::Timer1Timer() {
    Timer1.setInterval(0);
    splash_.reset();
    MenuShow();
}

void TMain::MenuShow() {
    if (app.State.CompactMenu == 1) {
        app.F.Form18->show();
        app.F.Form18->raise();
    } else {
        show();
        raise();
    }
}

void TMain::UserListSort() {
    UserTable.setIndex(db::UserTable::Index::Yomi);
}

bool TMain::LogTableFilterRecord(const db::LogRow& row) const {
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

bool TMain::ComOpen() {
    try {
        app.F.Form11->Comm1.Open();
    } catch (const std::exception&) {
        // The program keeps running so that the user can choose another port in the options.
        hide();
        app.F.Form14->show();
        return false;
    }
    return true;
}

void TMain::ComClose() {
    try {
        app.F.Form11->Comm1.Close();
    } catch (const std::exception&) {
        // Closing a port that has gone away has nothing left to report.
    }
}

void TMain::BitBtn1Click() {
    hide();
    app.F.Form18->hide();
    if (app.State.LogImage[0] == 255) {
        app.F.Form11->GethgTime();
        return;
    }
    TForm2* callLog = app.F.Form2;
    // A failed conversion is told; the window still shows the rows written, not a lost menu.
    app.guarded([callLog] { callLog->LogConv(); });
    callLog->show();
    callLog->raise();
}

void TMain::BitBtn2Click() {
    hide();
    app.F.Form18->hide();
    app.F.UserList->UserListShow();
}

void TMain::BitBtn3Click() {
    hide();
    app.F.Form18->hide();
    ProgramState& s = app.State;
    s.DialCaller = dialcaller::Menu;
    app.F.DialSystem->Panel4->clear();
    s.DialNumber.clear();
    s.LinkStep = 0;
    s.DialFromBook = 0;
    app.F.Form11->Timer4.setInterval(1);
}

void TMain::BitBtn4Click() {
    hide();
    app.F.Form18->hide();
    app.F.Form11->GetTelData();
}

void TMain::BitBtn5Click() {
    hide();
    app.F.Form18->hide();
    app.F.Form5->OpsionSet();
}

void TMain::BitBtn6Click() {
    close();
}

void TMain::K7Click() {
    app.State.CompactMenu = 1;
    hide();
    app.F.Form18->show();
}

void TMain::closeEvent(QCloseEvent* event) {
    event->accept();
    app.quit();
}

void TMain::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
}
