#include "windows/archivemodel.h"

#include "db/phonebooktable.h"
#include "protocol/secondsscale.h"
#include "rules/numberreader.h"
#include "windows/loggridmodel.h"

namespace {

constexpr int NameField = 3;
constexpr int TimeField = 7;

const GridColumn* columnOf(int field) {
    for (const GridColumn& c : GridColumns) {
        if (c.field == field) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace

ArchiveModel::ArchiveModel(const db::CallArchive& archive, const db::PhoneBookTable& users,
                           const rules::NumberReader& numbers, QObject* parent)
    : QAbstractTableModel(parent), archive_(archive), users_(users), numbers_(numbers) {}

void ArchiveModel::setQuery(const db::ArchiveQuery& query) {
    beginResetModel();
    query_ = query;
    names_.clear();
    rows_.clear();
    atEnd_ = !archive_.isOpen();
    if (!atEnd_) {
        rows_ = archive_.rows(query_, PageSize);
        atEnd_ = rows_.size() < PageSize;
    }
    endResetModel();
}

void ArchiveModel::clear() {
    beginResetModel();
    rows_.clear();
    atEnd_ = true;
    endResetModel();
}

QString ArchiveModel::nameFor(const QString& number) const {
    auto it = names_.constFind(number);
    if (it == names_.constEnd()) {
        it = names_.insert(
            number, users_.isOpen() ? users_.nameForNumber(number).value_or(QString()) : QString());
    }
    return *it;
}

int ArchiveModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ArchiveModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LineColumn + 1;
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        if (const GridColumn* c = columnOf(index.column())) {
            return QVariant::fromValue(c->alignment | Qt::AlignVCenter);
        }
        return {};
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const db::ArchiveRow& row = rows_.at(index.row());
    if (index.column() == LineColumn) {
        return row.lineName;
    }
    return cellText(row.row, row.moment, index.column());
}

QString ArchiveModel::cellText(const db::LogRow& row, int64_t moment, int column) const {
    switch (column) {
        case NameField:
            return nameFor(row.number);
        case NumberColumn:
            return numbers_.shownNumber(row.number);
        case TimeField:
            return protocol::dateTimeText(moment);
        case PlaceColumn:
            return numbers_.placeOf(row.number);
        default:
            return db::CallLogTable::field(row, column);
    }
}

QString ArchiveModel::numberAt(int row) const {
    return row >= 0 && row < rows_.size() ? rows_.at(row).row.number : QString();
}

std::optional<int64_t> ArchiveModel::idAt(int row) const {
    if (row < 0 || row >= rows_.size()) {
        return std::nullopt;
    }
    return rows_.at(row).id;
}

int ArchiveModel::findRow(int64_t id, int maxRows) {
    for (int row = 0;; ++row) {
        if (row == rows_.size()) {
            if (row >= maxRows || !canFetchMore({})) {
                return -1;
            }
            fetchMore({});
            if (row == rows_.size()) {
                return -1;
            }
        }
        if (rows_.at(row).id == id) {
            return row;
        }
    }
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        if (const GridColumn* c = columnOf(section)) {
            return c->title;
        }
        if (section == PlaceColumn) {
            return QStringLiteral("地域");
        }
        if (section == LineColumn) {
            return QStringLiteral("回線名");
        }
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool ArchiveModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void ArchiveModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent) || rows_.isEmpty()) {
        return;
    }
    const QList<db::ArchiveRow> more = archive_.rows(query_, PageSize, rows_.last());
    atEnd_ = more.size() < PageSize;
    if (more.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(more.size()) - 1);
    rows_ += more;
    endInsertRows();
}

void ArchiveModel::sort(int column, Qt::SortOrder order) {
    db::ArchiveQuery query = query_;
    // Places sort with their numbers: the numbers of one area share its first digits. Lines
    // keep the calls in time order.
    query.sortField = column == PlaceColumn  ? NumberColumn
                      : column == LineColumn ? TimeField
                                             : column;
    query.descending = order == Qt::DescendingOrder;
    setQuery(query);
}
