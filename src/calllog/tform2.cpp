#include "calllog/tform2.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/application.h"
#include "app/tform10.h"
#include "app/tmain.h"
#include "calllog/callerlookup.h"
#include "calllog/historyfile.h"
#include "calllog/logconversion.h"
#include "calllog/loggridmodel.h"
#include "calllog/logimage.h"
#include "db/edatabaseerror.h"
#include "dial/tdialsystem.h"
#include "link/tform11.h"
#include "phonebook/tform3.h"
#include "settings/formlook.h"
#include "ui/tgauge.h"

namespace {

QLabel* panel(const QString& text, Qt::Alignment alignment, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

// Keeps what a failed conversion wrote, as it would stand without the batches. The failure that
// ended the conversion is the one reported, so a second one while committing is not.
void keepWritten(db::LogTable& log, db::UserTable& users) noexcept {
    try {
        log.commitBatch();
    } catch (const db::EDatabaseError&) {
    }
    try {
        users.commitBatch();
    } catch (const db::EDatabaseError&) {
    }
}

constexpr int ConfirmClearLog = 2;
constexpr int HelpTopic = 1;
constexpr int NumberColumn = 4;  // ログ電話番号 in the call log table's model

const QString ShowAllText = QStringLiteral("全て表示する");
const QString HistoryName = QStringLiteral("logdat0");

}  // namespace

TForm2::TForm2(Application& app) : TFormBase(app, QStringLiteral("通話記録表"), 4) {
    buildWindow();
}

void TForm2::buildWindow() {
    setWindowFlags(Qt::Tool);
    resize(604, 390);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    auto* grid = new calllog::LogGridModel(this);
    grid->setSourceModel(app.F.Main->LogTable.model());
    DBGrid1 = new QTableView(this);
    DBGrid1->setModel(grid);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    // The column widths are for this type size.
    DBGrid1->setFont(settings::GothicFont(12));
    DBGrid1->setWordWrap(false);
    DBGrid1->setTextElideMode(Qt::ElideNone);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 4);
    QHeaderView* titles = DBGrid1->horizontalHeader();
    titles->setDefaultAlignment(Qt::AlignCenter);
    DBGrid1->hideColumn(0);
    for (size_t i = 0; i < calllog::GridColumns.size(); ++i) {
        const calllog::GridColumn& c = calllog::GridColumns[i];
        titles->moveSection(titles->visualIndex(c.field), static_cast<int>(i) + 1);
        DBGrid1->setColumnWidth(c.field, c.width);
    }
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QTableView::doubleClicked, this, &TForm2::DBGrid1DblClick);
    buildPopupMenu();
    connect(DBGrid1, &QTableView::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(at)); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(buildTopBar());
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(buildBottomBar());
}

QWidget* TForm2::buildTopBar() {
    auto* bar = new QWidget(this);
    Image1 = new QLabel(bar);
    Image1->setPixmap(settings::TitlePicture(QStringLiteral("通話記録表"), 160, 30));
    Label1 = new QLabel(QStringLiteral("合計通話料金"), bar);
    TotalPanel = panel(QString(), Qt::AlignRight, bar);
    TotalPanel->setMinimumWidth(100);
    SpeedButton1 = new QPushButton(QStringLiteral("?"), bar);
    SpeedButton1->setToolTip(QStringLiteral("ヘルプ"));
    SpeedButton2 = new QPushButton(bar);
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    SpeedButton3 = new QPushButton(bar);
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    for (QPushButton* b : {SpeedButton1, SpeedButton2, SpeedButton3}) {
        b->setFixedSize(28, 28);
        b->setFocusPolicy(Qt::NoFocus);
    }
    SpeedButton2->hide();
    SpeedButton3->hide();
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TForm2::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TForm2::SpeedButton3Click);

    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Image1);
    row->addStretch();
    row->addWidget(Label1);
    row->addWidget(TotalPanel);
    row->addWidget(SpeedButton1);
    row->addWidget(SpeedButton2);
    row->addWidget(SpeedButton3);
    return bar;
}

QWidget* TForm2::buildBottomBar() {
    auto* bar = new QWidget(this);
    Label2 = new QLabel(QStringLiteral("表示条件"), bar);
    Panel10 = panel(ShowAllText, Qt::AlignCenter, bar);
    Panel10->setMinimumWidth(100);
    Button1 = new QPushButton(QStringLiteral("全表示"), bar);
    Button2 = new QPushButton(QStringLiteral("留守番"), bar);
    Button3 = new QPushButton(QStringLiteral("発信"), bar);
    Button4 = new QPushButton(QStringLiteral("着信"), bar);

    MemoryLabel = panel(QStringLiteral("LOGﾒﾓﾘ"), Qt::AlignCenter, bar);
    MemoryLabel->installEventFilter(this);
    MemoryGauge = new ui::TGauge(bar);
    MemoryGauge->setFixedSize(100, 20);
    CountPanel = panel(QString(), Qt::AlignRight, bar);
    CountPanel->setMinimumWidth(60);
    Button5 = new QPushButton(QStringLiteral("LOG 再読"), bar);
    Button6 = new QPushButton(QStringLiteral("LOG 削除"), bar);

    BitBtn1 = new QPushButton(QStringLiteral("ﾀﾞｲﾔﾙ発信(&D)"), bar);
    BitBtn2 = new QPushButton(QStringLiteral(" 閉じる (&C)  　"), bar);

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm2::BitBtn2Click);

    for (QPushButton* b : {Button1, Button2, Button3, Button4}) {
        b->setFixedWidth(52);
    }
    for (QPushButton* b : {Button5, Button6}) {
        b->setFixedWidth(72);
    }

    // Two lines, so that the bar fits the window's width: filters and the exits, then the log
    // memory with its commands.
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* first = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label2, Panel10, Button1, Button2, Button3, Button4}) {
        first->addWidget(w);
    }
    first->addStretch();
    first->addWidget(BitBtn1);
    first->addWidget(BitBtn2);
    auto* second = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{MemoryLabel, MemoryGauge, CountPanel, Button5, Button6}) {
        second->addWidget(w);
    }
    second->addStretch();
    rows->addLayout(first);
    rows->addLayout(second);
    return bar;
}

void TForm2::buildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    E1 = PopupMenu1->addAction(QStringLiteral("個人情報編集(&E)"), this, &TForm2::DBGrid1DblClick);
    D1 = PopupMenu1->addAction(QStringLiteral("ダイヤル発信(&D)"), this, &TForm2::BitBtn1Click);
    R1 = PopupMenu1->addAction(QStringLiteral("ＬＯＧ 再読込み(&R)"), this, &TForm2::Button5Click);
    K1 = PopupMenu1->addAction(QStringLiteral("ＬＯＧ 削除(&K)"), this, &TForm2::Button6Click);
    PopupMenu1->addSeparator();
    C1 = PopupMenu1->addAction(QStringLiteral("閉じる (&C)"), this, &TForm2::BitBtn2Click);
}

void TForm2::LogConv() {
    db::LogTable& logTable = app.F.Main->LogTable;
    db::UserTable& users = app.F.Main->UserTable;
    if (!logTable.isOpen()) {
        logTable.createTable();
        logTable.open();
    }

    const calllog::DecodedLog log = calllog::decodeLogImage(app.State.LogImage);
    const calllog::ClockSettings clock = calllog::clockSettingsOf(app.State);
    calllog::CallerLookup callers(users);
    int total = 0;
    int count = 0;
    try {
        // One transaction a table, the call log table rebuilt inside its own: a full log costs
        // two commits, not hundreds.
        logTable.beginBatch();
        logTable.createTable();
        users.beginBatch();
        for (const calllog::LogEntry& entry : log.Entries) {
            calllog::ConvertedEntry c = calllog::convertLogEntry(entry, count + 1, clock);
            total += entry.Charge;
            if (const std::optional<QString> name = callers.find(c.Row.Number)) {
                c.Row.Name = *name;
                if (!c.AnsweringMachine) {
                    users.setLastCall(c.Row.CallTime, c.Row.Duration, c.Row.Charge);
                }
            }
            logTable.append(c.Row);
            ++count;
        }
        logTable.commitBatch();
        users.commitBatch();
    } catch (...) {
        keepWritten(logTable, users);
        throw;
    }

    TotalPanel->setText(calllog::totalChargeText(total));
    CountPanel->setText(calllog::entryCountText(count));
    MemoryGauge->setProgress(calllog::memoryGaugeValue(count, log.EndOffset));
}

void TForm2::FilterShow(const QString& panelText, int mode) {
    Panel10->setText(panelText);
    if (mode >= 0) {
        app.State.LogFilterMode = mode;
    }
    app.F.Main->LogTable.setFiltered(mode >= 0);
    if (DBGrid1->model()->rowCount() > 0) {
        DBGrid1->selectRow(0);
    }
    update();
}

void TForm2::Button1Click() {
    FilterShow(ShowAllText, -1);
}

void TForm2::Button2Click() {
    FilterShow(QStringLiteral("留守番だけ表示"), 2);
}

void TForm2::Button3Click() {
    FilterShow(QStringLiteral("発信だけ表示"), 0);
}

void TForm2::Button4Click() {
    FilterShow(QStringLiteral("着信だけ表示"), 1);
}

void TForm2::Button5Click() {
    hide();
    app.F.Form11->GethgTime(this);
}

void TForm2::Button6Click() {
    setEnabled(false);
    app.State.ConfirmKind = ConfirmClearLog;
    TForm10* confirm = app.F.Form10;
    confirm->Label1->setText(QStringLiteral("ＨＧ内の通信記録を空に"));
    confirm->Label2->setText(QStringLiteral("しますか？"));
    confirm->show();
    confirm->raise();
}

QString TForm2::selectedNumber() const {
    const QModelIndex current = DBGrid1->currentIndex();
    if (!current.isValid()) {
        return QString();
    }
    return DBGrid1->model()->index(current.row(), NumberColumn).data().toString();
}

void TForm2::BitBtn1Click() {
    const QString number = selectedNumber();
    app.State.DialCaller = dialcaller::CallLog;
    hide();
    app.F.DialSystem->setup(1, number);
}

void TForm2::BitBtn2Click() {
    close();
}

void TForm2::SpeedButton1Click() {
    app.Ui.help.context(HelpTopic);
}

void TForm2::SpeedButton2Click() {
    const QString path = app.Ui.dialogs.openFileName(
        this, {QString(), QStringLiteral("LOG履歴データ (*.TAS)"), HistoryName, QString()});
    if (path.isEmpty()) {
        return;
    }
    app.guarded([this, &path] {
        // Read whole before anything is copied: a failed read leaves the held image as it was.
        const QByteArray bytes = calllog::ReadHistoryFile(path);
        std::copy(bytes.begin(), bytes.end(), app.State.LogImage.begin());
        LogConv();
    });
}

void TForm2::SpeedButton3Click() {
    const QString path = app.Ui.dialogs.saveFileName(
        this,
        {QString(), QStringLiteral("LOG履歴データ (*.tas)"), HistoryName, QStringLiteral("tas")});
    if (path.isEmpty()) {
        return;
    }
    app.guarded([this, &path] {
        calllog::WriteHistoryFile(
            path, std::span<const uint8_t>(app.State.LogImage).first<calllog::HistoryFileBytes>());
    });
}

void TForm2::DBGrid1DblClick() {
    app.F.Form3->LogCallerEdit(selectedNumber());
}

void TForm2::MemoryLabelDblClick() {
    SpeedButton2->show();
    SpeedButton3->show();
}

void TForm2::closeEvent(QCloseEvent* event) {
    event->accept();
    app.F.Main->MenuShow();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MemoryLabel && event->type() == QEvent::MouseButtonDblClick) {
        MemoryLabelDblClick();
        return true;
    }
    return TFormBase::eventFilter(watched, event);
}
