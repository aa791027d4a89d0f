#include "windows/phonebookwindow.h"

#include <QAbstractItemModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <utility>

#include "rules/phonebookexport.h"
#include "rules/phonebookimport.h"
#include "rules/vcard.h"
#include "ui/artwork.h"
#include "ui/sjis.h"
#include "windows/csvexport.h"
#include "windows/navigation.h"
#include "windows/numbertips.h"
#include "windows/printinputs.h"
#include "windows/windowcontext.h"

namespace {

constexpr int HelpButtonContext = 6;

struct GridColumn {
    const char* field;
    int width;  // 0 keeps the grid's default width
};
constexpr GridColumn Columns[] = {
    {"氏名", 135}, {"読み", 141}, {"電話番号", 160}, {"最終通話", 92}, {"郵便番号", 0}, {"住所", 0},
};

int columnOf(const char* field) {
    return static_cast<int>(db::PhoneBookTable::fieldNames().indexOf(QString::fromUtf8(field)));
}

}  // namespace

PhoneBookWindow::PhoneBookWindow(WindowContext& context, db::PhoneBookTable& phoneBook,
                                 appstate::ProgramState& state, const db::TableBackups& backups)
    : WindowBase(context, QStringLiteral("個人情報一覧表"), 15),
      state_(state),
      backups_(backups),
      table(phoneBook) {
    buildWindow();
}

void PhoneBookWindow::buildWindow() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(572, 351);

    auto* title = new QLabel(this);
    title->setPixmap(ui::artwork::menuPicture(2, 28));
    title->setGeometry(8, 4, 28, 28);
    auto* caption = new QLabel(QStringLiteral("個人情報一覧表"), this);
    caption->setGeometry(44, 4, 132, 28);
    QFont font = caption->font();
    font.setBold(true);
    font.setPixelSize(16);
    caption->setFont(font);
    helpButton = new QPushButton(QStringLiteral("?"), this);
    helpButton->setToolTip(QStringLiteral("ヘルプ"));
    helpButton->setGeometry(536, 4, 28, 28);
    connect(helpButton, &QPushButton::clicked, this,
            [this] { this->context.services.help.context(HelpButtonContext); });

    importButton = new QPushButton(QStringLiteral("取り込み(&I)"), this);
    importButton->setGeometry(254, 4, 90, 28);
    vCardExportButton = new QPushButton(QStringLiteral("vCard出力"), this);
    vCardExportButton->setGeometry(348, 4, 90, 28);
    csvExportButton = new QPushButton(QStringLiteral("CSV出力"), this);
    csvExportButton->setGeometry(442, 4, 90, 28);
    connect(importButton, &QPushButton::clicked, this, guarded(&PhoneBookWindow::importClicked));
    connect(vCardExportButton, &QPushButton::clicked, this,
            guarded(&PhoneBookWindow::vCardExportClicked));
    connect(csvExportButton, &QPushButton::clicked, this, &PhoneBookWindow::csvExportClicked);
    // Beside the exports, in the room the caption does not need.
    printButton = new QPushButton(QStringLiteral("印刷(&P)"), this);
    printButton->setGeometry(180, 4, 70, 28);
    connect(printButton, &QPushButton::clicked, this, guarded(&PhoneBookWindow::printClicked));

    grid = new QTableView(this);
    grid->setGeometry(0, 36, 572, 271);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows may be selected for a vCard export; the current row stays the record.
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setModel(table.model());
    new NumberTips(grid, columnOf("電話番号"), context.numbers);
    layoutGrid();
    connect(table.model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        topName_.clear();
        const QModelIndex top = grid->indexAt(QPoint(0, 0));
        if (!isVisible() || !top.isValid() || !table.isOpen()) {
            return;
        }
        // Only a place to return to: a list that cannot be read now has none.
        try {
            topName_ = grid->model()->index(top.row(), columnOf("氏名")).data().toString();
        } catch (const db::DatabaseError&) {
        }
    });
    connect(table.model(), &QAbstractItemModel::modelReset, this, [this] {
        layoutGrid();
        if (isVisible()) {
            showCurrent(std::exchange(topName_, QString()));
        }
    });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { gridRowChanged(current); });
    connect(grid, &QAbstractItemView::doubleClicked, this,
            guarded(&PhoneBookWindow::gridDoubleClicked));

    contextMenu = new QMenu(this);
    editAction = contextMenu->addAction(QStringLiteral("個人情報編集(&E)"), this,
                                        guarded(&PhoneBookWindow::editClicked));
    newAction = contextMenu->addAction(QStringLiteral("新規作成(&N)"), this,
                                       guarded(&PhoneBookWindow::newClicked));
    deleteAction = contextMenu->addAction(QStringLiteral("削除(&K)"), this,
                                          guarded(&PhoneBookWindow::deleteClicked));
    dialAction = contextMenu->addAction(QStringLiteral("ダイヤル発信(&D)"), this,
                                        guarded(&PhoneBookWindow::dialClicked));
    contextMenu->addSeparator();
    closeAction = contextMenu->addAction(QStringLiteral("閉じる(&C)"), this,
                                         guarded(&PhoneBookWindow::closeClicked));
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { contextMenu->popup(grid->viewport()->mapToGlobal(pos)); });

    newButton = addButton(QStringLiteral("新規作成(&N)"), 4);
    editButton = addButton(QStringLiteral(" 編集(&E)     "), 117);
    deleteButton = addButton(QStringLiteral(" 削除(&K)      "), 230);
    dialButton = addButton(QStringLiteral("ﾀﾞｲﾔﾙ発信(&D)"), 343);
    closeButton = addButton(QStringLiteral(" 閉じる(&C)     "), 456);
    connect(newButton, &QPushButton::clicked, this, guarded(&PhoneBookWindow::newClicked));
    connect(editButton, &QPushButton::clicked, this, guarded(&PhoneBookWindow::editClicked));
    connect(deleteButton, &QPushButton::clicked, this, guarded(&PhoneBookWindow::deleteClicked));
    connect(dialButton, &QPushButton::clicked, this, guarded(&PhoneBookWindow::dialClicked));
    connect(closeButton, &QPushButton::clicked, this, guarded(&PhoneBookWindow::closeClicked));
}

void PhoneBookWindow::csvExportClicked() {
    exportCsv(context, this, QStringLiteral("個人情報一覧表.csv"), rules::phoneBookCsvHeader(),
              rules::phoneBookCsvRows(table));
}

void PhoneBookWindow::printClicked() {
    context.services.dialogs.printPreview(
        this, printJobOf(phoneBookPrintInput(table, context.services.wallClock.now()),
                         [this](const std::function<void()>& paint) { context.guarded(paint); }));
}

QPushButton* PhoneBookWindow::addButton(const QString& caption, int left) {
    auto* button = new QPushButton(caption, this);
    button->setGeometry(left, 313, 109, 32);
    return button;
}

std::function<void()> PhoneBookWindow::guarded(void (PhoneBookWindow::*handler)()) {
    return [this, handler] { context.guarded([this, handler] { (this->*handler)(); }); };
}

void PhoneBookWindow::layoutGrid() {
    const QAbstractItemModel* model = grid->model();
    // A reset with the same columns keeps the header's layout; only a new set needs laying out.
    if (model->columnCount() == laidOutColumns_) {
        return;
    }
    laidOutColumns_ = model->columnCount();
    for (int c = 0; c < laidOutColumns_; ++c) {
        grid->setColumnHidden(c, true);
    }
    QHeaderView* header = grid->horizontalHeader();
    int visual = 0;
    for (const GridColumn& column : Columns) {
        const int logical = columnOf(column.field);
        if (logical < 0 || logical >= laidOutColumns_) {
            continue;
        }
        grid->setColumnHidden(logical, false);
        header->moveSection(header->visualIndex(logical), visual++);
        if (column.width > 0) {
            header->resizeSection(logical, column.width);
        }
    }
}

void PhoneBookWindow::showPhoneBook() {
    table.setIndex(db::PhoneBookTable::Index::Yomi);
    // From a menu the list opens at its top, so only the first rows need fetching.
    if (table.isOpen()) {
        table.first();
    }
    show();
    raise();
}

void PhoneBookWindow::showEvent(QShowEvent* event) {
    WindowBase::showEvent(event);
    showCurrent();
    grid->setFocus();
}

void PhoneBookWindow::showCurrent(const QString& topName) {
    if (!table.isOpen()) {
        return;
    }
    std::optional<db::UserRecord> record = table.current();
    if (!record && table.first()) {
        record = table.current();
    }
    if (!record) {
        return;
    }
    const int row = table.rowOf(record->name);
    if (row < 0) {
        return;
    }
    const QAbstractItemModel* model = grid->model();
    const QModelIndex index = model->index(row, columnOf("氏名"));
    const int topRow = topName.isEmpty() ? -1 : table.rowOf(topName);
    if (topRow >= 0) {
        grid->scrollTo(model->index(topRow, columnOf("氏名")), QAbstractItemView::PositionAtTop);
    }
    grid->setCurrentIndex(index);
    grid->scrollTo(index);
}

void PhoneBookWindow::gridRowChanged(const QModelIndex& current) {
    if (!current.isValid()) {
        return;
    }
    const QString name = grid->model()->index(current.row(), columnOf("氏名")).data().toString();
    context.guarded([&] { table.gotoName(name); });
}

std::optional<db::UserRecord> PhoneBookWindow::selectedRecord() {
    std::optional<db::UserRecord> record = table.current();
    if (!record && table.isOpen() && table.first()) {
        record = table.current();
    }
    return record;
}

void PhoneBookWindow::newClicked() {
    context.nav().newRecord();
    hide();
}

void PhoneBookWindow::selectOnlyCurrent() {
    const QModelIndex current = grid->currentIndex();
    if (current.isValid()) {
        grid->selectionModel()->select(
            current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void PhoneBookWindow::editClicked() {
    selectOnlyCurrent();
    const std::optional<db::UserRecord> record = selectedRecord();
    state_.dialNumber.assign(ui::sjis::fromUnicode(record ? record->tel : QString()));
    context.nav().editRecord(record ? record->name : QString());
    hide();
}

void PhoneBookWindow::gridDoubleClicked() {
    editClicked();
}

void PhoneBookWindow::deleteClicked() {
    selectOnlyCurrent();
    setEnabled(false);
    context.nav().askConfirmation(appstate::confirmaction::DeleteRecord,
                                  QStringLiteral("カーソルの指定された個人情報"),
                                  QStringLiteral("を削除しますか？"));
}

void PhoneBookWindow::dialClicked() {
    const std::optional<db::UserRecord> record = selectedRecord();
    hide();
    context.nav().openDialPad(Navigation::Opener::PhoneBook, record ? record->tel : QString());
}

void PhoneBookWindow::message(const QString& text, ui::MsgIcon icon) {
    context.services.dialogs.messageBox(this, text, ui::applicationTitle(), ui::MsgButtons::Ok,
                                        icon);
}

void PhoneBookWindow::importClicked() {
    const QString fileName = context.services.dialogs.openFileName(
        this,
        {QStringLiteral("取り込むファイル"), QStringLiteral("vCard・CSV (*.vcf *.csv)"), {}, {}});
    if (fileName.isEmpty()) {
        return;
    }
    QByteArray data;
    if (const QString problem = rules::phonebookimport::readFile(fileName, data);
        !problem.isEmpty()) {
        message(problem, ui::MsgIcon::Error);
        return;
    }
    // Shown only when reading or importing takes a while; cancelling either leaves the phone
    // book unchanged.
    QProgressDialog progress(QStringLiteral("読み込んでいます…"), QStringLiteral("中止"), 0, 0,
                             this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto report = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        return !progress.wasCanceled();
    };
    const QString cancelled = QStringLiteral("取り込みを中止しました。電話帳は変わっていません。");
    const rules::phonebookimport::ImportedRecords imported =
        fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
            ? rules::phonebookimport::fromCsv(data)
            : rules::vcard::read(data, report);
    progress.reset();
    if (imported.cancelled) {
        message(cancelled, ui::MsgIcon::Information);
        return;
    }
    if (!imported.problem.isEmpty()) {
        message(imported.problem, ui::MsgIcon::Error);
        return;
    }
    const int existing = rules::phonebookimport::existingCount(table, imported);
    const bool overwrite =
        existing > 0 && context.services.dialogs.messageBox(
                            this,
                            QStringLiteral("同じ氏名の個人情報が %1 件あります。上書きしますか？"
                                           "\n「いいえ」ではそれらを取り込みません。")
                                .arg(existing),
                            ui::applicationTitle(), ui::MsgButtons::YesNo,
                            ui::MsgIcon::Question) == ui::MsgResult::Yes;
    // What the import may change can be put back from the main menu.
    backups_.takeBeforeChange(table, context.services.wallClock.now());
    progress.setLabelText(QStringLiteral("取り込んでいます…"));
    const rules::phonebookimport::Summary summary =
        rules::phonebookimport::importRecords(table, imported, overwrite, report);
    progress.reset();
    message(summary.cancelled ? cancelled : rules::phonebookimport::summaryText(summary),
            ui::MsgIcon::Information);
}

void PhoneBookWindow::vCardExportClicked() {
    QList<db::UserRecord> records = table.allRecords();
    QList<db::UserRecord> selected;
    for (const QModelIndex& row : grid->selectionModel()->selectedRows(columnOf("氏名"))) {
        if (const auto record = table.record(row.data().toString())) {
            selected << *record;
        }
    }
    if (!selected.isEmpty() && selected.size() < records.size() &&
        context.services.dialogs.messageBox(
            this,
            QStringLiteral("選択された %1 件だけを出力しますか？\n「いいえ」では全件を出力します。")
                .arg(selected.size()),
            ui::applicationTitle(), ui::MsgButtons::YesNo,
            ui::MsgIcon::Question) == ui::MsgResult::Yes) {
        records = selected;
    }
    const QString fileName = context.services.dialogs.saveFileName(
        this, {QStringLiteral("vCard出力"), QStringLiteral("vCard (*.vcf)"),
               QStringLiteral("phonebook.vcf"), QStringLiteral("vcf")});
    if (fileName.isEmpty()) {
        return;
    }
    if (const QString failure = rules::writeVCardFile(records, fileName); !failure.isEmpty()) {
        message(failure, ui::MsgIcon::Error);
        return;
    }
    message(QStringLiteral("%1 件を出力しました。").arg(records.size()), ui::MsgIcon::Information);
}

void PhoneBookWindow::closeClicked() {
    close();
}

void PhoneBookWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    context.nav().showMenu();
}
