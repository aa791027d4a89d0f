#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "db/calllogtable.h"

namespace db {

// One call as the archive keeps it: the call log row's texts, the values that identify the call
// on the adapter, and its moment for ordering and date ranges.
struct ArchivedCall {
    LogRow Row;
    int32_t StartSeconds = 0;  // on the adapter's own scale, as the adapter stored it
    uint8_t PortSet = 0;
    uint8_t CallKind = 0;
    QString Number;  // the adapter's number and sub-number, as stored
    int32_t DurationSeconds = 0;
    int Charge = 0;
    int64_t Moment = 0;  // the call's time on the PC's clock, seconds on the adapter's scale
};

// A call read back, with its key in the archive.
struct ArchiveRow {
    int64_t Id = 0;
    LogRow Row;
    QDateTime FirstDownloaded;
    QVariant SortKey;  // the value the query's order compares
};

// Which calls a view shows and in what order.
struct ArchiveQuery {
    // With a search, a call matches when its ログ電話番号 contains Digits or equals one of
    // Numbers; without one every call matches.
    bool Search = false;
    QString Digits;
    QStringList Numbers;
    QString KindText;                 // ログ通話方法 exactly; empty for every kind
    int Port = 0;                     // 1 to 3: calls that used that port; 0 for every port
    std::optional<int64_t> From, To;  // Moment range, both ends included
    int SortField = 7;                // a field of LogRow in table order
    bool Descending = true;
};

struct ArchiveTotals {
    int64_t Count = 0;
    int64_t DurationSeconds = 0;
    int64_t Charge = 0;
};

// The archive of every downloaded call: table "Archive" in the file Archive.db beside the other
// two tables. Calls are identified by their adapter values, so a call downloaded again is kept
// once. Every failure is an EDatabaseError with the engine's text.
class CallArchive {
public:
    explicit CallArchive(QString folder);
    ~CallArchive();

    static QString fileName();
    QString path() const;

    // Exclusive use: a second process cannot open the file while this one holds it.
    void setExclusive(bool exclusive);
    // Opens the archive, making a new one when the file is missing. A file that is not a usable
    // archive is refused and left untouched.
    void open();
    void close();
    bool isOpen() const;

    // Adds the calls of one download in one transaction: all of them or, on failure, none.
    // Calls already archived are skipped. Returns how many were new.
    int add(const std::vector<ArchivedCall>& calls, const QDateTime& downloadedAt);

    ArchiveTotals totals(const ArchiveQuery& query) const;
    // Up to limit rows in the query's order, after the row `after` when given.
    QList<ArchiveRow> rows(const ArchiveQuery& query, int limit,
                           const std::optional<ArchiveRow>& after = std::nullopt) const;
    // Every row of the query in its order, one at a time.
    void forEachRow(const ArchiveQuery& query, const std::function<void(const LogRow&)>& fn) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace db
