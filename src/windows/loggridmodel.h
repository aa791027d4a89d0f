#pragma once

#include <QIdentityProxyModel>
#include <QString>
#include <array>

class QAbstractItemModel;
class QTableView;
class QWidget;

// The call log table as the call log window's grid shows it: its own column titles and
// alignments over the table's fields. The grid hides ログNO and puts the time before the
// duration.
struct GridColumn {
    int field;  // column of the call log table's model
    QString title;
    int width;
    Qt::Alignment alignment;
};

// The grid's columns, left to right.
inline const std::array<GridColumn, 7> GridColumns{{
    {1, QStringLiteral("ポート"), 38, Qt::AlignHCenter},
    {2, QStringLiteral("通話方法"), 58, Qt::AlignHCenter},
    {3, QStringLiteral("氏  名"), 126, Qt::AlignLeft},
    {4, QStringLiteral("電話番号"), 118, Qt::AlignLeft},
    {7, QStringLiteral("通話時刻"), 93, Qt::AlignHCenter},
    {5, QStringLiteral("通話時間"), 65, Qt::AlignHCenter},
    {6, QStringLiteral("利用料金"), 60, Qt::AlignRight},
}};

class LogGridModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
};

// A read-only grid of call rows on model: whole rows selected, the columns of GridColumns in
// their order and widths, the record number column hidden.
QTableView* makeLogGrid(QAbstractItemModel* model, QWidget* parent);
