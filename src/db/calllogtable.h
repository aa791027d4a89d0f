#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QAbstractItemModel;

namespace db {

// One row of the call log table, fields in table order.
struct LogRow {
    QString logNo;     // ログNO, 4
    QString ports;     // ログ利用ポート, 8
    QString kind;      // ログ通話方法, 12
    QString name;      // ログ氏名, 22
    QString number;    // ログ電話番号, 30
    QString duration;  // ログ通話時間, 10
    QString charge;    // ログ利用料金, 10
    QString callTime;  // ログ最終通話時刻, 18
};

// The call log table "Logdat" in the file Logdat.db: rebuilt empty at every start and by every
// conversion, filtered for the call log window by a record filter the owner installs.
class CallLogTable {
public:
    explicit CallLogTable(QString folder);
    ~CallLogTable();

    static QStringList fieldNames();
    // The text of field `column` (0 = ログNO) of a row.
    static QString field(const LogRow& row, int column);
    static void setField(LogRow& row, int column, const QString& value);

    // Exclusive use: a second process cannot open the file while this one holds it.
    void setExclusive(bool exclusive);
    // Replaces any existing table file with an empty table. Throws DatabaseError.
    void createTable();
    void open();  // throws DatabaseError
    void close();
    bool isOpen() const;

    // Appends one row; every text is cut to its field's size in Shift-JIS bytes.
    void append(const LogRow& row);
    // Groups the appends of one conversion into one transaction.
    void beginBatch();
    void commitBatch();

    // The record filter: called for each row while filtering is on.
    std::function<bool(const LogRow&)> rowFilter;
    void setFiltered(bool on);  // on again re-applies the filter with the owner's current mode
    bool filtered() const;

    // The rows the filter lets through, in table order.
    int rowCount() const;
    LogRow row(int index) const;
    // A read-only model of the visible rows for the grid; refreshed by every change above.
    QAbstractItemModel* model();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace db
