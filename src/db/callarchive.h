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
#include "state/storesettings.h"

namespace db {

// One call as the archive keeps it: the call log row's texts, the values that identify the call
// on the adapter, and its moment for ordering and date ranges.
struct ArchivedCall {
    LogRow row;
    int32_t startSeconds = 0;  // on the adapter's own scale, as the adapter stored it
    uint8_t portSet = 0;
    uint8_t callKind = 0;
    QString number;  // the adapter's number and sub-number, as stored
    int32_t durationSeconds = 0;
    int charge = 0;
    int64_t moment = 0;  // the call's time on the PC's clock, seconds on the adapter's scale
};

// The calls of one download and when it ran.
struct DownloadedCalls {
    std::vector<ArchivedCall> calls;
    QDateTime downloadedAt;
};

// A call read back, with its key in the archive.
struct ArchiveRow {
    int64_t id = 0;
    LogRow row;
    int64_t moment = 0;
    QDateTime firstDownloaded;
    QVariant sortKey;  // the value the query's order compares
    QString lineName;  // on a server, the line the call came in on; empty for the file
};

// Which calls a view shows and in what order.
struct ArchiveQuery {
    // With a search, a call matches when its ログ電話番号 contains Digits or equals one of
    // Numbers; without one every call matches.
    bool search = false;
    QString digits;
    QStringList numbers;
    QString kindText;                 // ログ通話方法 exactly; empty for every kind
    int port = 0;                     // 1 to 3: calls that used that port; 0 for every port
    QString lineName;                 // on a server, the calls of that line; empty for all
    std::optional<int64_t> from, to;  // Moment range, both ends included
    int sortField = 7;                // a field of LogRow in table order
    bool descending = true;
};

struct ArchiveTotals {
    int64_t count = 0;
    int64_t durationSeconds = 0;
    int64_t charge = 0;
};

// A stretch of time for the statistics: whole months, read from the totals the archive keeps
// per month, and pieces of months, read call by call. Months are written year * 100 + month.
struct ArchiveSpan {
    int firstMonth = 0;
    int lastMonth = -1;  // no whole month when before FirstMonth
    QString lineName;    // on a server, the calls of that line; empty for all
    struct Piece {
        int64_t from = 0;  // Moment range, both ends included
        int64_t to = 0;
        int month = 0;  // the month the range lies in
    };
    std::vector<Piece> pieces;
};

// The calls of one kind (ログ通話方法) in one month.
struct MonthKindTotal {
    int month = 0;
    QString kindText;
    int64_t calls = 0;
    int64_t charge = 0;
};

// The calls with one number (ログ電話番号).
struct NumberTotal {
    QString number;
    int64_t calls = 0;
    int64_t charge = 0;
};

// The numbers with the most calls, and those with the highest charges.
struct TopNumbers {
    std::vector<NumberTotal> byCalls;
    std::vector<NumberTotal> byCharge;
};

// The month (year * 100 + month) of a call's moment, on the calendar the moments are counted in.
using MonthOfMoment = std::function<int(int64_t moment)>;

// The archive of every downloaded call: table "Archive" in the file Archive.db beside the other
// two tables. Calls are identified by their adapter values, so a call downloaded again is kept
// once. Every failure is an DatabaseError with the engine's text.
class CallArchive {
public:
    CallArchive(QString folder, MonthOfMoment monthOf);
    ~CallArchive();

    static QString fileName();
    QString path() const;

    // Exclusive use: a second process cannot open the file while this one holds it.
    void setExclusive(bool exclusive);
    // The office's shared archive on a PostgreSQL server instead of the file: open() connects
    // and makes the shared tables when missing; calls are added under the settings' line name,
    // the host name when it has none. Any number of PCs use the server at once.
    void useServer(const appstate::StoreSettings& server);
    // On a server, runs after another PC added calls, so that an open list shows them.
    void setChangedElsewhere(std::function<void()> onChange);
    // Back to the file, closed, for a run whose server cannot be reached.
    void useFile();
    bool onServer() const;
    // The line this PC's calls are archived under; empty for the file, which keeps no lines.
    QString lineName() const;
    // Opens the archive, making a new one when the file is missing. A file that is not a usable
    // archive is refused and left untouched; the check is a quick one, checkWhole() reads every
    // page. An archive written before the monthly totals were kept gets them empty, to be
    // counted from its calls by countTotals().
    void open();
    void close();
    bool isOpen() const;
    // A consistent copy of the open archive in a new file at target.
    void copyInto(const QString& target) const;

    // Whether the monthly totals hold every call; until then monthTotals() and topNumbers()
    // refuse, and calls added are totalled as usual.
    bool totalsReady() const;
    // Counts the next maxCalls calls of an archive whose totals are not ready, in one
    // transaction, so that the count goes on where it stopped in a later run. True when done.
    bool countTotals(int maxCalls);
    // How far the count is, 100 when the totals are ready.
    int totalsPercent() const;
    // Reads every page of the file and refuses a damaged one with the engine's findings.
    void checkWhole() const;
    // Reads every page of the archive file at path on a connection of its own that takes no
    // lock, so that it runs on any thread beside the run that holds the file. A page the run
    // writes meanwhile may read as damaged: only checkWhole() is sure. The engine's findings,
    // empty when every page is sound.
    static QString findDamage(const QString& path);

    // Adds the calls of one download in one transaction: all of them or, on failure, none.
    // Calls already archived are skipped. Returns how many were new.
    int add(const std::vector<ArchivedCall>& calls, const QDateTime& downloadedAt);
    // Adds the calls of several downloads, all in one transaction.
    int add(const std::vector<DownloadedCalls>& downloads);
    // How many of the calls the archive holds, each looked up by the values that identify it.
    int countHeld(const std::vector<ArchivedCall>& calls) const;

    ArchiveTotals totals(const ArchiveQuery& query) const;
    // Up to limit rows in the query's order, after the row `after` when given.
    QList<ArchiveRow> rows(const ArchiveQuery& query, int limit,
                           const std::optional<ArchiveRow>& after = std::nullopt) const;
    // Every row of the query in its order, one at a time.
    void forEachRow(const ArchiveQuery& query,
                    const std::function<void(const LogRow&, int64_t moment)>& fn) const;

    // The calls of the span by month and kind, in month order.
    std::vector<MonthKindTotal> monthTotals(const ArchiveSpan& span) const;
    // The numbers of the span with the most calls and with the highest charges, at most limit of
    // each. Calls without a number are left out, and so are numbers without a charge from the
    // charges.
    TopNumbers topNumbers(const ArchiveSpan& span, int limit) const;
    // Every number (ログ電話番号) the archive holds calls with, each once, in order.
    QStringList numbers() const;
    // The lines whose calls the server holds, in order; none for the file.
    QStringList lineNames() const;
    // The moment of the newest call, none in an empty archive.
    std::optional<int64_t> latestMoment() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace db
