#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <optional>

#include "db/callarchive.h"

namespace db {
class PhoneBookTable;
}
namespace rules {
class NumberReader;
}

// The archive's calls for a grid: the call log table's eight fields as columns, fetched a page at
// a time as the grid scrolls, so a million calls cost no more than the rows on screen. The name
// column shows the phone book's name for the number, looked up when a row is first shown and
// kept until the next refresh. Numbers are shown as people write them, a column names where each
// comes from, and a last one the line a call of a shared archive came in on.
class ArchiveModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 100;
    static constexpr int NumberColumn = 4;
    static constexpr int PlaceColumn = 8;  // "地域", after the call log table's fields
    static constexpr int LineColumn = 9;   // "回線名", of a shared archive on a server

    ArchiveModel(const db::CallArchive& archive, const db::PhoneBookTable& users,
                 const rules::NumberReader& numbers, QObject* parent = nullptr);

    // Shows the calls of this query from the top, the names looked up afresh.
    void setQuery(const db::ArchiveQuery& query);
    const db::ArchiveQuery& query() const { return query_; }
    // Clears the rows, as for a closed archive.
    void clear();

    // The name shown for a number: the phone book's, or empty.
    QString nameFor(const QString& number) const;
    // The text a column shows for a call: the phone book's name, the number with hyphens, the
    // time with its year, since the archive keeps calls of many years, and the number's place.
    QString cellText(const db::LogRow& row, int64_t moment, int column) const;
    // The number of a row as the archive holds it.
    QString numberAt(int row) const;
    // The archive's key of the call in a row, none outside the rows.
    std::optional<int64_t> idAt(int row) const;
    // The row of the call with this key, fetching pages until it shows or maxRows are read;
    // -1 when it is not among them.
    int findRow(int64_t id, int maxRows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    void sort(int column, Qt::SortOrder order) override;

private:
    const db::CallArchive& archive_;
    const db::PhoneBookTable& users_;
    const rules::NumberReader& numbers_;
    db::ArchiveQuery query_;
    QList<db::ArchiveRow> rows_;
    bool atEnd_ = true;
    mutable QHash<QString, QString> names_;
};
