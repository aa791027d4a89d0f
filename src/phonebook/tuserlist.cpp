#include "phonebook/tuserlist.h"

#include <QAbstractItemModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "app/application.h"
#include "app/tform10.h"
#include "app/tmain.h"
#include "calllog/tform2.h"
#include "dial/tdialsystem.h"
#include "link/tform11.h"
#include "phonebook/tform3.h"
#include "ui/artwork.h"
#include "ui/sjis.h"

namespace {

constexpr int HelpButtonContext = 6;
constexpr int DialPrologueMs = 500;

struct GridColumn {
    const char* field;
    int width;  // 0 keeps the grid's default width
};
constexpr GridColumn kColumns[] = {
    {"氏名", 135}, {"読み", 141}, {"電話番号", 160}, {"最終通話", 92}, {"郵便番号", 0}, {"住所", 0},
};

int columnOf(const char* field) {
    return static_cast<int>(db::UserTable::fieldNames().indexOf(QString::fromUtf8(field)));
}

}  // namespace

TUserList::TUserList(Application& app)
    : TFormBase(app, QStringLiteral("個人情報一覧表"), 15), table(app.F.Main->UserTable) {
    buildWindow();
}

void TUserList::buildWindow() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(572, 351);

    auto* title = new QLabel(this);
    title->setPixmap(artwork::menuPicture(2, 28));
    title->setGeometry(8, 4, 28, 28);
    auto* caption = new QLabel(QStringLiteral("個人情報一覧表"), this);
    caption->setGeometry(44, 4, 300, 28);
    QFont font = caption->font();
    font.setBold(true);
    font.setPixelSize(16);
    caption->setFont(font);
    SpeedButton1 = new QPushButton(QStringLiteral("?"), this);
    SpeedButton1->setToolTip(QStringLiteral("ヘルプ"));
    SpeedButton1->setGeometry(536, 4, 28, 28);
    connect(SpeedButton1, &QPushButton::clicked, this,
            [this] { this->app.Ui.help.context(HelpButtonContext); });

    DBGrid1 = new QTableView(this);
    DBGrid1->setGeometry(0, 36, 572, 271);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    DBGrid1->setModel(table.model());
    layoutGrid();
    connect(table.model(), &QAbstractItemModel::modelReset, this, [this] {
        layoutGrid();
        if (isVisible()) {
            showCurrent();
        }
    });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { gridRowChanged(current); });
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, guarded(&TUserList::DBGrid1DblClick));

    PopupMenu1 = new QMenu(this);
    N1 = PopupMenu1->addAction(QStringLiteral("個人情報編集(&E)"), this,
                               guarded(&TUserList::BitBtn2Click));
    N2 = PopupMenu1->addAction(QStringLiteral("新規作成(&N)"), this,
                               guarded(&TUserList::BitBtn1Click));
    N3 = PopupMenu1->addAction(QStringLiteral("削除(&K)"), this, guarded(&TUserList::BitBtn3Click));
    N4 = PopupMenu1->addAction(QStringLiteral("ダイヤル発信(&D)"), this,
                               guarded(&TUserList::BitBtn4Click));
    PopupMenu1->addSeparator();
    N5 = PopupMenu1->addAction(QStringLiteral("閉じる(&C)"), this,
                               guarded(&TUserList::BitBtn5Click));
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(pos));
    });

    BitBtn1 = addButton(QStringLiteral("新規作成(&N)"), 4);
    BitBtn2 = addButton(QStringLiteral(" 編集(&E)     "), 117);
    BitBtn3 = addButton(QStringLiteral(" 削除(&K)      "), 230);
    BitBtn4 = addButton(QStringLiteral("ﾀﾞｲﾔﾙ発信(&D)"), 343);
    BitBtn5 = addButton(QStringLiteral(" 閉じる(&C)     "), 456);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(&TUserList::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(&TUserList::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, guarded(&TUserList::BitBtn3Click));
    connect(BitBtn4, &QPushButton::clicked, this, guarded(&TUserList::BitBtn4Click));
    connect(BitBtn5, &QPushButton::clicked, this, guarded(&TUserList::BitBtn5Click));
}

QPushButton* TUserList::addButton(const QString& caption, int left) {
    auto* button = new QPushButton(caption, this);
    button->setGeometry(left, 313, 109, 32);
    return button;
}

std::function<void()> TUserList::guarded(void (TUserList::*handler)()) {
    return [this, handler] { app.guarded([this, handler] { (this->*handler)(); }); };
}

void TUserList::layoutGrid() {
    const QAbstractItemModel* model = DBGrid1->model();
    // A reset with the same columns keeps the header's layout; only a new set needs laying out.
    if (model->columnCount() == laidOutColumns_) {
        return;
    }
    laidOutColumns_ = model->columnCount();
    for (int c = 0; c < laidOutColumns_; ++c) {
        DBGrid1->setColumnHidden(c, true);
    }
    QHeaderView* header = DBGrid1->horizontalHeader();
    int visual = 0;
    for (const GridColumn& column : kColumns) {
        const int logical = columnOf(column.field);
        if (logical < 0 || logical >= laidOutColumns_) {
            continue;
        }
        DBGrid1->setColumnHidden(logical, false);
        header->moveSection(header->visualIndex(logical), visual++);
        if (column.width > 0) {
            header->resizeSection(logical, column.width);
        }
    }
}

void TUserList::UserListShow() {
    app.F.Main->UserListSort();
    // From a menu the list opens at its top, so only the first rows need fetching.
    if (table.isOpen()) {
        table.first();
    }
    app.F.Form2->hide();
    show();
    raise();
}

void TUserList::showEvent(QShowEvent* event) {
    TFormBase::showEvent(event);
    showCurrent();
    DBGrid1->setFocus();
}

void TUserList::showCurrent() {
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
    const int row = table.rowOf(record->Name);
    if (row < 0) {
        return;
    }
    // The grid holds only the rows fetched so far; a record further down needs them fetched.
    QAbstractItemModel* model = DBGrid1->model();
    while (row >= model->rowCount() && model->canFetchMore(QModelIndex())) {
        model->fetchMore(QModelIndex());
    }
    const QModelIndex index = model->index(row, columnOf("氏名"));
    DBGrid1->setCurrentIndex(index);
    DBGrid1->scrollTo(index);
}

void TUserList::gridRowChanged(const QModelIndex& current) {
    if (!current.isValid()) {
        return;
    }
    const QString name = DBGrid1->model()->index(current.row(), columnOf("氏名")).data().toString();
    app.guarded([&] { table.gotoName(name); });
}

std::optional<db::UserRecord> TUserList::selectedRecord() {
    std::optional<db::UserRecord> record = table.current();
    if (!record && table.isOpen() && table.first()) {
        record = table.current();
    }
    return record;
}

void TUserList::BitBtn1Click() {
    app.F.Form3->UserNew();
    app.State.DialCaller = dialcaller::PhoneBook;
    hide();
}

void TUserList::BitBtn2Click() {
    const std::optional<db::UserRecord> record = selectedRecord();
    app.State.DialNumber.assign(sjis::fromUnicode(record ? record->Tel : QString()));
    // A dial started from the editor shows the name at once.
    app.F.DialSystem->Panel4->setText(record ? record->Name : QString());
    app.F.Form3->UserEdit();
    app.State.DialCaller = dialcaller::PhoneBook;
    hide();
}

void TUserList::DBGrid1DblClick() {
    BitBtn2Click();
}

void TUserList::BitBtn3Click() {
    setEnabled(false);
    app.State.ConfirmKind = 1;
    TForm10* confirm = app.F.Form10;
    confirm->Label1->setText(QStringLiteral("カーソルの指定された個人情報"));
    confirm->Label2->setText(QStringLiteral("を削除しますか？"));
    confirm->show();
    confirm->raise();
}

void TUserList::BitBtn4Click() {
    const std::optional<db::UserRecord> record = selectedRecord();
    ProgramState& s = app.State;
    s.DialNumber.assign(sjis::fromUnicode(record ? record->Tel : QString()));
    s.DialCaller = dialcaller::PhoneBook;
    hide();
    s.LinkStep = 0;
    s.DialFromBook = 1;
    app.F.Form11->Timer4.setInterval(DialPrologueMs);
}

void TUserList::BitBtn5Click() {
    close();
}

void TUserList::closeEvent(QCloseEvent* event) {
    event->accept();
    app.F.Main->MenuShow();
}
