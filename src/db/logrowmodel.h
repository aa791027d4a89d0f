#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "db/calllogtable.h"

namespace db {

// The call log rows the record filter lets through, read-only, one column per field.
class LogRowModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<LogRow> rows);
    void appendRow(const LogRow& row);
    const std::vector<LogRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<LogRow> rows_;
};

}  // namespace db
