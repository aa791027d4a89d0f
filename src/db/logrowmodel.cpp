#include "db/logrowmodel.h"

namespace db {

void LogRowModel::setRows(std::vector<LogRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void LogRowModel::appendRow(const LogRow& row) {
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(row);
    endInsertRows();
}

int LogRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LogRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(CallLogTable::fieldNames().size());
}

QVariant LogRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return CallLogTable::field(rows_[static_cast<size_t>(index.row())], index.column());
}

QVariant LogRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount()) {
        return CallLogTable::fieldNames().at(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags LogRowModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace db
