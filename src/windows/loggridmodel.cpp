#include "windows/loggridmodel.h"

namespace calllog {

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

}  // namespace calllog
