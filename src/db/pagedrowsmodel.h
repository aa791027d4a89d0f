#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

namespace db {

// A read-only grid model of every row of a query that reads only the pages the grid shows, so
// that a row anywhere in a long list shows without reading the rows before it.
class PagedRowsModel : public QAbstractTableModel {
public:
    // Reads count rows from row first on, in the model's order; fewer at the end.
    using RowReader = std::function<std::vector<QStringList>(int first, int count)>;

    explicit PagedRowsModel(QStringList columns, QObject* parent = nullptr);

    // Starts over with rowCount rows read by reader.
    void reset(int rowCount, RowReader reader);
    void clear();

    // The text of a cell, reading its page when needed.
    QString text(int row, int column) const;
    // Rows read from the engine since the last reset.
    int rowsRead() const { return rowsRead_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const QStringList* rowAt(int row) const;

    QStringList columns_;
    int rowCount_ = 0;
    RowReader reader_;
    mutable std::map<int, std::vector<QStringList>> pages_;
    mutable int rowsRead_ = 0;
};

}  // namespace db
