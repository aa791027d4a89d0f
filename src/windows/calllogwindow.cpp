#include "windows/calllogwindow.h"

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

#include "db/archiveproblem.h"
#include "rules/logconversion.h"
#include "ui/gauge.h"
#include "windows/formlook.h"
#include "windows/loggridmodel.h"
#include "windows/navigation.h"
#include "windows/numbertips.h"
#include "windows/printinputs.h"
#include "windows/windowcontext.h"

namespace {

QLabel* panel(const QString& text, Qt::Alignment alignment, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

constexpr int HelpTopic = 1;
constexpr int NumberColumn = 4;  // ログ電話番号 in the call log table's model

const QString ShowAllText = QStringLiteral("全て表示する");
const QString HistoryName = QStringLiteral("logdat0");
const QString ClearWithoutArchiveWarning = QStringLiteral("※通話履歴に未保存の通話も消えます");

}  // namespace

CallLogWindow::CallLogWindow(WindowContext& context, db::CallLogTable& callLog,
                             rules::LogImport& logImport, appstate::ProgramState& state)
    : WindowBase(context, QStringLiteral("通話記録表"), 4),
      callLog_(callLog),
      logImport_(logImport),
      state_(state) {
    buildWindow();
}

void CallLogWindow::buildWindow() {
    setWindowFlags(Qt::Tool);
    resize(604, 390);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    auto* rows = new LogGridModel(this);
    rows->setSourceModel(callLog_.model());
    grid = makeLogGrid(rows, this);
    new NumberTips(grid, NumberColumn, context.numbers);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QTableView::doubleClicked, this, &CallLogWindow::gridDoubleClicked);
    buildPopupMenu();
    connect(grid, &QTableView::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu->popup(grid->viewport()->mapToGlobal(at)); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(buildTopBar());
    layout->addWidget(grid, 1);
    layout->addWidget(buildBottomBar());
}

QWidget* CallLogWindow::buildTopBar() {
    auto* bar = new QWidget(this);
    titlePicture = new QLabel(bar);
    titlePicture->setPixmap(makeTitlePicture(QStringLiteral("通話記録表"), 160, 30));
    archiveNotice = new QLabel(db::ArchiveNotInUse, bar);
    archiveNotice->setStyleSheet(QStringLiteral("color: red"));
    archiveNotice->setWordWrap(true);
    archiveNotice->hide();
    totalLabel = new QLabel(QStringLiteral("合計通話料金"), bar);
    totalPanel = panel(QString(), Qt::AlignRight, bar);
    totalPanel->setMinimumWidth(100);
    helpButton = new QPushButton(QStringLiteral("?"), bar);
    helpButton->setToolTip(QStringLiteral("ヘルプ"));
    loadHistoryButton = new QPushButton(bar);
    loadHistoryButton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    saveHistoryButton = new QPushButton(bar);
    saveHistoryButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    for (QPushButton* b : {helpButton, loadHistoryButton, saveHistoryButton}) {
        b->setFixedSize(28, 28);
        b->setFocusPolicy(Qt::NoFocus);
    }
    loadHistoryButton->hide();
    saveHistoryButton->hide();
    connect(helpButton, &QPushButton::clicked, this, &CallLogWindow::helpClicked);
    connect(loadHistoryButton, &QPushButton::clicked, this, &CallLogWindow::loadHistoryClicked);
    connect(saveHistoryButton, &QPushButton::clicked, this, &CallLogWindow::saveHistoryClicked);

    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(titlePicture);
    row->addWidget(archiveNotice, 1);
    row->addStretch();
    row->addWidget(totalLabel);
    row->addWidget(totalPanel);
    row->addWidget(helpButton);
    row->addWidget(loadHistoryButton);
    row->addWidget(saveHistoryButton);
    return bar;
}

QWidget* CallLogWindow::buildBottomBar() {
    auto* bar = new QWidget(this);
    filterLabel = new QLabel(QStringLiteral("表示条件"), bar);
    filterPanel = panel(ShowAllText, Qt::AlignCenter, bar);
    filterPanel->setMinimumWidth(100);
    showAllButton = new QPushButton(QStringLiteral("全表示"), bar);
    answeringMachineButton = new QPushButton(QStringLiteral("留守番"), bar);
    outgoingButton = new QPushButton(QStringLiteral("発信"), bar);
    incomingButton = new QPushButton(QStringLiteral("着信"), bar);

    memoryLabel = panel(QStringLiteral("LOGﾒﾓﾘ"), Qt::AlignCenter, bar);
    memoryLabel->installEventFilter(this);
    memoryGauge = new ui::Gauge(bar);
    memoryGauge->setFixedSize(100, 20);
    countPanel = panel(QString(), Qt::AlignRight, bar);
    countPanel->setMinimumWidth(60);
    reloadButton = new QPushButton(QStringLiteral("LOG 再読"), bar);
    clearLogButton = new QPushButton(QStringLiteral("LOG 削除"), bar);
    archiveButton = new QPushButton(QStringLiteral("通話履歴(&H)"), bar);
    printButton = new QPushButton(QStringLiteral("印刷(&P)"), bar);

    dialButton = new QPushButton(QStringLiteral("ﾀﾞｲﾔﾙ発信(&D)"), bar);
    closeButton = new QPushButton(QStringLiteral(" 閉じる (&C)  　"), bar);

    connect(showAllButton, &QPushButton::clicked, this, &CallLogWindow::showAllClicked);
    connect(answeringMachineButton, &QPushButton::clicked, this,
            &CallLogWindow::answeringMachineClicked);
    connect(outgoingButton, &QPushButton::clicked, this, &CallLogWindow::outgoingClicked);
    connect(incomingButton, &QPushButton::clicked, this, &CallLogWindow::incomingClicked);
    connect(reloadButton, &QPushButton::clicked, this, &CallLogWindow::reloadClicked);
    connect(clearLogButton, &QPushButton::clicked, this, &CallLogWindow::clearLogClicked);
    connect(archiveButton, &QPushButton::clicked, this, &CallLogWindow::archiveClicked);
    connect(printButton, &QPushButton::clicked, this, &CallLogWindow::printClicked);
    connect(dialButton, &QPushButton::clicked, this, &CallLogWindow::dialClicked);
    connect(closeButton, &QPushButton::clicked, this, &CallLogWindow::closeClicked);

    for (QPushButton* b : {showAllButton, answeringMachineButton, outgoingButton, incomingButton}) {
        b->setFixedWidth(52);
    }
    for (QPushButton* b : {reloadButton, clearLogButton}) {
        b->setFixedWidth(72);
    }

    // Two lines, so that the bar fits the window's width: filters and the exits, then the log
    // memory with its commands.
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* first = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{filterLabel, filterPanel, showAllButton,
                                         answeringMachineButton, outgoingButton, incomingButton}) {
        first->addWidget(w);
    }
    first->addStretch();
    first->addWidget(dialButton);
    first->addWidget(closeButton);
    auto* second = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{memoryLabel, memoryGauge, countPanel,
                                                      reloadButton, clearLogButton}) {
        second->addWidget(w);
    }
    second->addStretch();
    second->addWidget(printButton);
    second->addWidget(archiveButton);
    rows->addLayout(first);
    rows->addLayout(second);
    return bar;
}

void CallLogWindow::buildPopupMenu() {
    contextMenu = new QMenu(this);
    editAction = contextMenu->addAction(QStringLiteral("個人情報編集(&E)"), this,
                                        &CallLogWindow::gridDoubleClicked);
    dialAction = contextMenu->addAction(QStringLiteral("ダイヤル発信(&D)"), this,
                                        &CallLogWindow::dialClicked);
    reloadAction = contextMenu->addAction(QStringLiteral("ＬＯＧ 再読込み(&R)"), this,
                                          &CallLogWindow::reloadClicked);
    clearLogAction = contextMenu->addAction(QStringLiteral("ＬＯＧ 削除(&K)"), this,
                                            &CallLogWindow::clearLogClicked);
    printAction =
        contextMenu->addAction(QStringLiteral("印刷(&P)"), this, &CallLogWindow::printClicked);
    contextMenu->addSeparator();
    closeAction =
        contextMenu->addAction(QStringLiteral("閉じる (&C)"), this, &CallLogWindow::closeClicked);
}

void CallLogWindow::showTotals(const rules::LogImportResult& result) {
    archiveUsable_ = !result.archiveUnavailable;
    archiveNotice->setVisible(!archiveUsable_);
    if (!result.converted) {
        return;
    }
    totalPanel->setText(rules::totalChargeText(result.totalCharge));
    countPanel->setText(rules::entryCountText(result.rows));
    memoryGauge->setProgress(result.memoryFill);
}

void CallLogWindow::showImport(const rules::LogImportResult& result) {
    showTotals(result);
    if (!result.error.isEmpty()) {
        context.showException(result.error);
    } else if (!result.notice.isEmpty()) {
        context.services.dialogs.messageBox(this, result.notice, ui::applicationTitle(),
                                            ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    }
}

void CallLogWindow::showFiltered(const QString& panelText, int mode) {
    filterPanel->setText(panelText);
    if (mode >= 0) {
        state_.logFilterMode = mode;
    }
    callLog_.setFiltered(mode >= 0);
    if (grid->model()->rowCount() > 0) {
        grid->selectRow(0);
    }
    update();
}

void CallLogWindow::showAllClicked() {
    showFiltered(ShowAllText, -1);
}

void CallLogWindow::answeringMachineClicked() {
    showFiltered(QStringLiteral("留守番だけ表示"), 2);
}

void CallLogWindow::outgoingClicked() {
    showFiltered(QStringLiteral("発信だけ表示"), 0);
}

void CallLogWindow::incomingClicked() {
    showFiltered(QStringLiteral("着信だけ表示"), 1);
}

void CallLogWindow::reloadClicked() {
    hide();
    context.nav().reloadCallLog();
}

void CallLogWindow::clearLogClicked() {
    setEnabled(false);
    if (archiveUsable_) {
        context.nav().askConfirmation(appstate::confirmaction::ClearAdapterLog,
                                      QStringLiteral("ＨＧ内の通信記録を空に"),
                                      QStringLiteral("しますか？"));
    } else {
        // The calls were never archived: clearing loses them for good.
        context.nav().askConfirmation(appstate::confirmaction::ClearAdapterLog,
                                      QStringLiteral("ＨＧ内の通信記録を空にしますか？"),
                                      ClearWithoutArchiveWarning);
    }
}

QString CallLogWindow::selectedNumber() const {
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid()) {
        return QString();
    }
    return grid->model()->index(current.row(), NumberColumn).data().toString();
}

void CallLogWindow::dialClicked() {
    const QString number = selectedNumber();
    hide();
    context.nav().openDialPad(Navigation::Opener::CallLog, number);
}

void CallLogWindow::closeClicked() {
    close();
}

void CallLogWindow::helpClicked() {
    context.services.help.context(HelpTopic);
}

void CallLogWindow::loadHistoryClicked() {
    const QString path = context.services.dialogs.openFileName(
        this, {QString(), QStringLiteral("LOG履歴データ (*.TAS)"), HistoryName, QString()});
    if (path.isEmpty()) {
        return;
    }
    context.guarded([this, &path] { showImport(logImport_.loadHistoryFile(path)); });
}

void CallLogWindow::saveHistoryClicked() {
    const QString path = context.services.dialogs.saveFileName(
        this,
        {QString(), QStringLiteral("LOG履歴データ (*.tas)"), HistoryName, QStringLiteral("tas")});
    if (path.isEmpty()) {
        return;
    }
    context.guarded([this, &path] { logImport_.saveHistoryFile(path); });
}

void CallLogWindow::gridDoubleClicked() {
    context.nav().editLogCaller(selectedNumber());
}

void CallLogWindow::memoryLabelDoubleClicked() {
    loadHistoryButton->show();
    saveHistoryButton->show();
}

void CallLogWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    context.nav().showMenu();
}

bool CallLogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memoryLabel && event->type() == QEvent::MouseButtonDblClick) {
        memoryLabelDoubleClicked();
        return true;
    }
    return WindowBase::eventFilter(watched, event);
}

void CallLogWindow::archiveClicked() {
    context.nav().openArchive();
}

void CallLogWindow::printClicked() {
    context.guarded([this] {
        context.services.dialogs.printPreview(
            this,
            printJobOf(
                callLogPrintInput(callLog_, filterPanel->text(), context.services.wallClock.now()),
                [this](const std::function<void()>& paint) { context.guarded(paint); }));
    });
}

void CallLogWindow::showDownloaded(const rules::LogImportResult& result) {
    showImport(result);
    filterPanel->setText(QStringLiteral("全て表示する"));
    callLog_.setFiltered(false);
    show();
    raise();
    grid->setFocus();
}
