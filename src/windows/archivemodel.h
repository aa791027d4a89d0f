#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <optional>

#include "db/callarchive.h"

namespace db {
class PhoneBookTable;
}

// The archive's calls for a grid: the call log table's eight fields as columns, fetched a page at
// a time as the grid scrolls, so a million calls cost no more than the rows on screen. The name
// column shows the phone book's name for the number, looked up when a row is first shown and
// kept until the next refresh.
class ArchiveModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 100;

    ArchiveModel(const db::CallArchive& archive, const db::PhoneBookTable& users,
                 QObject* parent = nullptr);

    // Shows the calls of this query from the top, the names looked up afresh.
    void setQuery(const db::ArchiveQuery& query);
    const db::ArchiveQuery& query() const { return query_; }
    // Clears the rows, as for a closed archive.
    void clear();

    // The name shown for a number: the phone book's, or empty.
    QString nameFor(const QString& number) const;
    // The text a column shows for a call: the phone book's name, and the time with its year,
    // since the archive keeps calls of many years.
    QString cellText(const db::LogRow& row, int64_t moment, int column) const;

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
    db::ArchiveQuery query_;
    QList<db::ArchiveRow> rows_;
    bool atEnd_ = true;
    mutable QHash<QString, QString> names_;
};
