#include "db/pagedrowsmodel.h"

namespace db {

namespace {

constexpr int PageRows = 64;
// Pages kept; a grid shows a few, so the rest is what scrolling back finds again.
constexpr size_t KeptPages = 256;

}  // namespace

PagedRowsModel::PagedRowsModel(QStringList columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void PagedRowsModel::reset(int rowCount, RowReader reader) {
    beginResetModel();
    rowCount_ = rowCount;
    reader_ = std::move(reader);
    pages_.clear();
    rowsRead_ = 0;
    endResetModel();
}

void PagedRowsModel::clear() {
    reset(0, {});
}

const QStringList* PagedRowsModel::rowAt(int row) const {
    if (row < 0 || row >= rowCount_ || !reader_) {
        return nullptr;
    }
    const int page = row / PageRows;
    auto found = pages_.find(page);
    if (found == pages_.end()) {
        if (pages_.size() >= KeptPages) {
            pages_.clear();
        }
        std::vector<QStringList> rows = reader_(page * PageRows, PageRows);
        rowsRead_ += static_cast<int>(rows.size());
        found = pages_.emplace(page, std::move(rows)).first;
    }
    const size_t offset = static_cast<size_t>(row % PageRows);
    return offset < found->second.size() ? &found->second[offset] : nullptr;
}

QString PagedRowsModel::text(int row, int column) const {
    const QStringList* cells = rowAt(row);
    return cells != nullptr ? cells->value(column) : QString();
}

int PagedRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int PagedRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant PagedRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const QStringList* cells = rowAt(index.row());
    return cells != nullptr ? QVariant(cells->value(index.column())) : QVariant();
}

QVariant PagedRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
        section < columns_.size()) {
        return columns_[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace db
