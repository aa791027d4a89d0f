#include "windows/loggridmodel.h"

#include <QHeaderView>
#include <QTableView>

#include "windows/formlook.h"

namespace {

const GridColumn* columnOf(int field) {
    for (const GridColumn& c : GridColumns) {
        if (c.field == field) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace

QVariant LogGridModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::TextAlignmentRole) {
        if (const GridColumn* c = columnOf(index.column())) {
            return QVariant::fromValue(c->alignment | Qt::AlignVCenter);
        }
    }
    return QIdentityProxyModel::data(index, role);
}

QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        if (const GridColumn* c = columnOf(section)) {
            return c->title;
        }
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}

QTableView* makeLogGrid(QAbstractItemModel* model, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // The column widths are for this type size.
    grid->setFont(gothicFont(12));
    grid->setWordWrap(false);
    grid->setTextElideMode(Qt::ElideNone);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    QHeaderView* titles = grid->horizontalHeader();
    titles->setDefaultAlignment(Qt::AlignCenter);
    grid->hideColumn(0);
    for (size_t i = 0; i < GridColumns.size(); ++i) {
        const GridColumn& c = GridColumns[i];
        titles->moveSection(titles->visualIndex(c.field), static_cast<int>(i) + 1);
        grid->setColumnWidth(c.field, c.width);
    }
    return grid;
}
