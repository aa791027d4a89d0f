#include "db/callarchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <utility>

#include "db/archiveproblem.h"
#include "db/connection.h"
#include "db/databaseerror.h"
#include "db/monthlytotals.h"
#include "db/serverschema.h"

namespace db {
namespace {

const QString FileName = QStringLiteral("Archive.db");
constexpr int TextSize = 30;  // Shift-JIS bytes, the widest call log field

// The column each field of LogRow sorts by: the numbers where the text would sort wrongly. The
// first, the order of arrival, is the row's key, which the store names.
const std::array<QString, 8> SortColumns{QString(),
                                         QStringLiteral("port_set"),
                                         QStringLiteral("ログ通話方法"),
                                         QStringLiteral("ログ氏名"),
                                         QStringLiteral("ログ電話番号"),
                                         QStringLiteral("duration_seconds"),
                                         QStringLiteral("charge"),
                                         QStringLiteral("moment")};

QString textColumns() {
    return CallLogTable::fieldNames().join(u", ");
}

// Every column a call is added with, in the order of the values add() binds.
QString callColumns() {
    return textColumns() + QStringLiteral(
                               ", start_seconds, port_set, call_kind, number, duration_seconds, "
                               "charge, moment, first_downloaded");
}

QStringList schema() {
    QStringList columns;
    for (const QString& name : CallLogTable::fieldNames()) {
        columns << name + QStringLiteral(" TEXT NOT NULL");
    }
    columns << QStringLiteral("start_seconds INTEGER NOT NULL")
            << QStringLiteral("port_set INTEGER NOT NULL")
            << QStringLiteral("call_kind INTEGER NOT NULL")
            << QStringLiteral("number TEXT NOT NULL")
            << QStringLiteral("duration_seconds INTEGER NOT NULL")
            << QStringLiteral("charge INTEGER NOT NULL")
            << QStringLiteral("moment INTEGER NOT NULL")
            << QStringLiteral("first_downloaded TEXT NOT NULL");
    return {
        QStringLiteral("CREATE TABLE Archive (%1)").arg(columns.join(u", ")),
        QStringLiteral("CREATE UNIQUE INDEX archive_call ON Archive (start_seconds, port_set, "
                       "call_kind, number, duration_seconds, charge)"),
        QStringLiteral(
            "CREATE INDEX archive_moment ON Archive (moment, start_seconds, duration_seconds, "
            "charge)"),
        QStringLiteral("CREATE INDEX archive_number ON Archive (ログ電話番号)"),
        // Substrings of three or more digits are found through trigrams, not a scan.
        QStringLiteral("CREATE VIRTUAL TABLE ArchiveDigits USING fts5(ログ電話番号, "
                       "content='Archive', content_rowid='rowid', tokenize='trigram')"),
    };
}

// Totals per month kept beside the calls, so that statistics over years of calls read a row a
// month rather than every call.
const QStringList MonthlySchema{
    QStringLiteral("CREATE TABLE ArchiveMonths (month INTEGER NOT NULL, kind TEXT NOT NULL, "
                   "calls INTEGER NOT NULL, charge INTEGER NOT NULL, PRIMARY KEY (month, kind)) "
                   "WITHOUT ROWID"),
    QStringLiteral("CREATE TABLE ArchiveNumberMonths (month INTEGER NOT NULL, number TEXT NOT "
                   "NULL, calls INTEGER NOT NULL, charge INTEGER NOT NULL, PRIMARY KEY (month, "
                   "number)) WITHOUT ROWID"),
};

// Present while the totals of an archive written before they were kept are being counted: the
// calls up to `last` (the newest call then) are counted in steps, `counted_to` the last one
// counted. Calls added since are totalled as they are added.
const QString PendingTable = QStringLiteral("ArchiveTotalsPending");
const QString PendingSchema = QStringLiteral(
    "CREATE TABLE ArchiveTotalsPending (counted_to INTEGER NOT NULL, last INTEGER NOT NULL)");

// More numbers than this in a search match so many calls that reading calls in order is faster.
constexpr qsizetype ManyNumbers = 50;

// The WHERE clause of a query with its bound values.
struct Condition {
    QStringList terms;
    QVariantList values;

    QString sql() const {
        return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(u" AND ");
    }
};

// The SQL of the store the archive lives in, where the file's and the server's differ.
struct Dialect {
    bool server = false;

    // The row's key, which also gives the order of arrival.
    QString key() const { return server ? QStringLiteral("id") : QStringLiteral("rowid"); }
    // A sum that is 0, not NULL, over no rows and cannot overflow in the file.
    QString total(const QString& expression) const {
        return (server ? QStringLiteral("COALESCE(SUM(%1), 0)") : QStringLiteral("TOTAL(%1)"))
            .arg(expression);
    }
};

Condition conditionOf(const ArchiveQuery& q, const Dialect& dialect) {
    Condition c;
    if (q.search) {
        QStringList any;
        if (!q.digits.isEmpty()) {
            if (dialect.server) {
                // The trigram index serves LIKE; its wildcards in the typed text are taken
                // literally.
                QString pattern = q.digits;
                pattern.replace(u'\\', QStringLiteral("\\\\"));
                pattern.replace(u'%', QStringLiteral("\\%"));
                pattern.replace(u'_', QStringLiteral("\\_"));
                any << QStringLiteral("ログ電話番号 LIKE ?");
                c.values << u'%' + pattern + u'%';
            } else if (q.digits.size() >= 3) {
                QString phrase = q.digits;
                phrase.replace(u'"', QStringLiteral("\"\""));
                any << QStringLiteral(
                    "rowid IN (SELECT rowid FROM ArchiveDigits WHERE ArchiveDigits MATCH ?)");
                c.values << QStringLiteral("\"%1\"").arg(phrase);
            } else {
                any << QStringLiteral("instr(ログ電話番号, ?) > 0");
                c.values << q.digits;
            }
        }
        if (!q.numbers.isEmpty()) {
            // One bound array, so that thousands of numbers stay within the engine's limits. The
            // calls of many numbers are found sooner by reading calls in the view's order than
            // by gathering every call of each number and sorting them: "+" keeps the engine
            // from looking the numbers up in their index.
            any << (dialect.server
                        ? QStringLiteral(
                              "ログ電話番号 IN (SELECT json_array_elements_text(?::json))")
                        : QStringLiteral("%1ログ電話番号 IN (SELECT value FROM json_each(?))")
                              .arg(q.numbers.size() > ManyNumbers ? QStringLiteral("+")
                                                                  : QString()));
            c.values << QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(q.numbers))
                                              .toJson(QJsonDocument::Compact));
        }
        c.terms << (any.isEmpty() ? QStringLiteral("1 = 0") : u'(' + any.join(u" OR ") + u')');
    }
    if (!q.kindText.isEmpty()) {
        c.terms << QStringLiteral("ログ通話方法 = ?");
        c.values << q.kindText;
    }
    if (!q.lineName.isEmpty() && dialect.server) {
        c.terms << QStringLiteral("line_name = ?");
        c.values << q.lineName;
    }
    if (q.port >= 1 && q.port <= 3) {
        c.terms << QStringLiteral("(port_set & %1) != 0").arg(1 << (q.port - 1));
    }
    if (q.from) {
        c.terms << QStringLiteral("moment >= ?");
        c.values << QVariant::fromValue<qint64>(*q.from);
    }
    if (q.to) {
        c.terms << QStringLiteral("moment <= ?");
        c.values << QVariant::fromValue<qint64>(*q.to);
    }
    return c;
}

// The rows of a span as one query: the kept totals of its whole months, then the calls of its
// pieces. monthsSelect reads a totals table; callsSelect reads the calls, the piece's month bound
// as its first value (cast, as the server takes a bare parameter for text). A line, on a server,
// keeps both to its calls. An empty span gives no
// query.
struct SpanRows {
    QString sql;
    QVariantList values;
};

SpanRows spanRows(const ArchiveSpan& span, const QString& monthsSelect, const QString& callsSelect,
                  const QString& line) {
    QStringList selects;
    SpanRows rows;
    const QString ofLine = line.isEmpty() ? QString() : QStringLiteral(" AND line_name = ?");
    if (span.firstMonth <= span.lastMonth) {
        selects << monthsSelect + QStringLiteral(" WHERE month BETWEEN ? AND ?") + ofLine;
        rows.values << span.firstMonth << span.lastMonth;
        if (!line.isEmpty()) {
            rows.values << line;
        }
    }
    for (const ArchiveSpan::Piece& piece : span.pieces) {
        selects << callsSelect + QStringLiteral(" WHERE moment BETWEEN ? AND ?") + ofLine;
        rows.values << piece.month << QVariant::fromValue<qint64>(piece.from)
                    << QVariant::fromValue<qint64>(piece.to);
        if (!line.isEmpty()) {
            rows.values << line;
        }
    }
    rows.sql = selects.join(u" UNION ALL ");
    return rows;
}

QString sortColumn(const ArchiveQuery& q, const Dialect& dialect) {
    const QString& column = SortColumns.at(static_cast<size_t>(std::clamp(q.sortField, 0, 7)));
    return column.isEmpty() ? dialect.key() : column;
}

LogRow rowOf(const QSqlQuery& query) {
    LogRow row;
    for (int i = 0; i < 8; ++i) {
        const QString value = query.value(i).toString();
        switch (i) {
            case 0:
                row.logNo = value;
                break;
            case 1:
                row.ports = value;
                break;
            case 2:
                row.kind = value;
                break;
            case 3:
                row.name = value;
                break;
            case 4:
                row.number = value;
                break;
            case 5:
                row.duration = value;
                break;
            case 6:
                row.charge = value;
                break;
            default:
                row.callTime = value;
                break;
        }
    }
    return row;
}

}  // namespace

struct CallArchive::Impl {
    Impl(QString f, MonthOfMoment m) : folder(std::move(f)), monthOf(std::move(m)) {}

    QString folder;
    MonthOfMoment monthOf;
    Connection conn{QStringLiteral("ARCHIVE")};
    bool exclusive = false;
    bool totalsPending = false;
    // The office's shared archive instead of the file, when set, and the line this PC's calls
    // are archived under there.
    std::optional<appstate::StoreSettings> server;
    std::function<void()> changedElsewhere;
    QString lineName;
    Dialect dialect;

    QString path() const {
        return server ? serverAddress(*server) : QDir(folder).filePath(FileName);
    }
    // The line the monthly totals are kept per, none for the file.
    std::optional<QString> totalsLine() const {
        return server ? std::optional<QString>(lineName) : std::nullopt;
    }

    // A call's values in the order of callColumns(), texts cut to the field size.
    static QVariantList valuesOf(const ArchivedCall& call, const QString& downloadedAt) {
        QVariantList values;
        for (int field = 0; field < 8; ++field) {
            values << Connection::cutText(CallLogTable::field(call.row, field), TextSize);
        }
        values << call.startSeconds << call.portSet << call.callKind
               << Connection::text(call.number) << call.durationSeconds << call.charge
               << QVariant::fromValue<qint64>(call.moment) << downloadedAt;
        return values;
    }

    static QString timeText(const QDateTime& at) {
        return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }

    // The file's part of add(): a call at a time, its digits indexed when it is new.
    int insertIntoFile(const std::vector<DownloadedCalls>& downloads,
                       MonthlyTotalsWriter& monthly) {
        QSqlQuery insert(conn.database());
        QSqlQuery index(conn.database());
        QStringList marks(16, QStringLiteral("?"));
        if (!insert.prepare(QStringLiteral("INSERT OR IGNORE INTO Archive (%1) VALUES (%2)")
                                .arg(callColumns(), marks.join(u','))) ||
            !index.prepare(
                QStringLiteral("INSERT INTO ArchiveDigits (rowid, ログ電話番号) VALUES (?, ?)"))) {
            throw Connection::errorOf(insert.lastError().isValid() ? insert.lastError()
                                                                   : index.lastError());
        }
        int added = 0;
        for (const auto& [calls, downloadedAt] : downloads) {
            const QString at = timeText(downloadedAt);
            for (const ArchivedCall& call : calls) {
                const QVariantList values = valuesOf(call, at);
                for (int i = 0; i < values.size(); ++i) {
                    insert.bindValue(i, values[i]);
                }
                if (!insert.exec()) {
                    throw Connection::errorOf(insert.lastError());
                }
                if (insert.numRowsAffected() != 1) {
                    continue;
                }
                index.bindValue(0, insert.lastInsertId());
                index.bindValue(1, Connection::text(call.row.number));
                if (!index.exec()) {
                    throw Connection::errorOf(index.lastError());
                }
                monthly.count(monthOf(call.moment), values[2].toString(), values[4].toString(),
                              call.charge);
                ++added;
            }
        }
        return added;
    }

    // The server's part of add(): many calls a statement, since a round trip a call costs more
    // than the inserts themselves. The server indexes the digits itself, keeps a call once per
    // line even when two PCs download the same adapter at once, and hands back only the calls
    // it did not hold, for the totals.
    int insertOnServer(const std::vector<DownloadedCalls>& downloads,
                       MonthlyTotalsWriter& monthly) {
        constexpr int RowsPerStatement = 100;
        const QString row =
            QStringLiteral("(%1)").arg(QStringList(17, QStringLiteral("?")).join(u','));
        int added = 0;
        QVariantList values;
        int rows = 0;
        const auto flush = [&] {
            if (rows == 0) {
                return;
            }
            QSqlQuery inserted = conn.exec(
                QStringLiteral("INSERT INTO Archive (%1, line_name) VALUES %2 ON CONFLICT DO "
                               "NOTHING RETURNING moment, ログ通話方法, ログ電話番号, charge")
                    .arg(callColumns(), QStringList(rows, row).join(u',')),
                values);
            while (inserted.next()) {
                monthly.count(monthOf(inserted.value(0).toLongLong()), inserted.value(1).toString(),
                              inserted.value(2).toString(), inserted.value(3).toLongLong());
                ++added;
            }
            values.clear();
            rows = 0;
        };
        for (const auto& [calls, downloadedAt] : downloads) {
            const QString at = timeText(downloadedAt);
            for (const ArchivedCall& call : calls) {
                values << valuesOf(call, at) << lineName;
                if (++rows == RowsPerStatement) {
                    flush();
                }
            }
        }
        flush();
        return added;
    }

    void requireOpen() const {
        if (!conn.isOpen()) {
            throw DatabaseError(QStringLiteral("%1: table is not open").arg(FileName));
        }
    }

    // A cheap check that still refuses a foreign or damaged file: the header, the schema, and the
    // first and last pages of the calls. The whole file is read by checkWhole().
    void checkUsable() const {
        conn.exec(QStringLiteral("SELECT MIN(%1), MAX(%1) FROM Archive").arg(dialect.key()));
        conn.exec(QStringLiteral("SELECT %1, start_seconds, port_set, call_kind, number, "
                                 "duration_seconds, charge, moment, first_downloaded FROM Archive "
                                 "LIMIT 0")
                      .arg(textColumns()));
        if (!server) {
            conn.exec(QStringLiteral("SELECT rowid FROM ArchiveDigits LIMIT 0"));
        }
    }

    bool hasTable(const QString& name) const {
        return conn.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = "
                                          "'table' AND name = ?"),
                           {name})
                   .toInt() > 0;
    }

    // Gives an archive that has calls but no totals yet its empty totals and the mark that they
    // are still to be counted, from the oldest call to the newest one now.
    void beginMonthlyTotals() {
        conn.runBatch([this] {
            for (const QString& statement : MonthlySchema) {
                conn.exec(statement);
            }
            conn.exec(PendingSchema);
            conn.exec(
                QStringLiteral("INSERT INTO ArchiveTotalsPending (counted_to, last) SELECT "
                               "0, IFNULL(MAX(rowid), 0) FROM Archive"));
        });
    }

    // Adds the next calls still to be counted, at most maxCalls, to the totals in one
    // transaction, and drops the mark with the last ones. Each month is written once a step.
    bool countMonthlyTotals(int maxCalls) {
        bool done = false;
        conn.runBatch([&] {
            QSqlQuery mark = conn.exec(
                QStringLiteral("SELECT counted_to, last FROM ArchiveTotalsPending LIMIT 1"));
            if (!mark.next()) {
                throw DatabaseError(QStringLiteral("%1: %2 is empty").arg(FileName, PendingTable));
            }
            int64_t countedTo = mark.value(0).toLongLong();
            const int64_t last = mark.value(1).toLongLong();
            // A statement still reading the mark would keep it from being dropped.
            mark.finish();
            QSqlQuery calls = conn.exec(
                QStringLiteral("SELECT rowid, moment, ログ通話方法, ログ電話番号, charge FROM "
                               "Archive WHERE rowid > ? AND rowid <= ? ORDER BY rowid LIMIT ?"),
                {QVariant::fromValue<qint64>(countedTo), QVariant::fromValue<qint64>(last),
                 maxCalls});
            int read = 0;
            MonthlyTotalsWriter writer(conn.database(), totalsLine());
            while (calls.next()) {
                countedTo = calls.value(0).toLongLong();
                writer.count(monthOf(calls.value(1).toLongLong()), calls.value(2).toString(),
                             calls.value(3).toString(), calls.value(4).toLongLong());
                ++read;
            }
            calls.finish();
            writer.write();
            done = read < maxCalls || countedTo >= last;
            if (done) {
                conn.exec(QStringLiteral("DROP TABLE ArchiveTotalsPending"));
            } else {
                conn.exec(QStringLiteral("UPDATE ArchiveTotalsPending SET counted_to = ?"),
                          {QVariant::fromValue<qint64>(countedTo)});
            }
        });
        totalsPending = !done;
        return done;
    }

    void requireTotals() const {
        requireOpen();
        if (totalsPending) {
            throw DatabaseError(
                QStringLiteral("%1: the monthly totals are still being counted").arg(FileName));
        }
    }

    void checkMonthlyTotals() const {
        conn.exec(QStringLiteral("SELECT month, kind, calls, charge FROM ArchiveMonths LIMIT 0"));
        conn.exec(
            QStringLiteral("SELECT month, number, calls, charge FROM ArchiveNumberMonths LIMIT 0"));
    }
};

CallArchive::CallArchive(QString folder, MonthOfMoment monthOf)
    : d(std::make_unique<Impl>(std::move(folder), std::move(monthOf))) {}

CallArchive::~CallArchive() = default;

QString CallArchive::fileName() {
    return FileName;
}

QString CallArchive::path() const {
    return d->path();
}

void CallArchive::setExclusive(bool exclusive) {
    d->exclusive = exclusive;
}

void CallArchive::useServer(const appstate::StoreSettings& server) {
    close();
    d->server = server;
    d->lineName = serverLineName(server);
    d->dialect.server = true;
}

void CallArchive::setChangedElsewhere(std::function<void()> onChange) {
    d->changedElsewhere = std::move(onChange);
}

void CallArchive::useFile() {
    close();
    d->server.reset();
    d->lineName.clear();
    d->dialect.server = false;
}

bool CallArchive::onServer() const {
    return d->server.has_value();
}

QString CallArchive::lineName() const {
    return d->server ? d->lineName : QString();
}

void CallArchive::open() {
    close();
    if (d->server) {
        d->conn.openServer(*d->server);
        try {
            prepareServerTables(d->conn);
            d->conn.listen(QStringLiteral("tilka_archive"), [this] {
                if (d->changedElsewhere) {
                    d->changedElsewhere();
                }
            });
            d->checkUsable();
            d->checkMonthlyTotals();
        } catch (const DatabaseError&) {
            close();
            throw;
        }
        return;
    }
    const bool newFile = !QFileInfo::exists(path());
    try {
        d->conn.open(path(), newFile, d->exclusive);
    } catch (const DatabaseError& e) {
        throw DatabaseError(archiveProblemText(path(), e, ArchiveNotInUse), e.resultCode());
    }
    try {
        if (newFile) {
            d->conn.beginBatch();
            for (const QString& statement : schema() + MonthlySchema) {
                d->conn.exec(statement);
            }
            d->conn.commitBatch();
        }
        d->checkUsable();
        if (!d->hasTable(QStringLiteral("ArchiveMonths"))) {
            d->beginMonthlyTotals();
        }
        d->checkMonthlyTotals();
        d->totalsPending = d->hasTable(PendingTable);
        if (d->exclusive) {
            d->conn.lock();
        }
    } catch (const DatabaseError& e) {
        close();
        if (newFile) {
            QFile::remove(path());
        }
        throw DatabaseError(archiveProblemText(path(), e, ArchiveNotInUse), e.resultCode());
    }
}

void CallArchive::copyInto(const QString& target) const {
    if (d->server) {
        throw DatabaseError(QStringLiteral(
            "サーバーの通話記録はファイルに写せません。サーバーの pg_dump で保存してください。"));
    }
    d->conn.copyInto(target);
}

void CallArchive::close() {
    d->conn.close();
    d->totalsPending = false;
}

bool CallArchive::totalsReady() const {
    return !d->totalsPending;
}

bool CallArchive::countTotals(int maxCalls) {
    d->requireOpen();
    return !d->totalsPending || d->countMonthlyTotals(std::max(1, maxCalls));
}

int CallArchive::totalsPercent() const {
    if (!d->totalsPending || !d->conn.isOpen()) {
        return 100;
    }
    QSqlQuery mark =
        d->conn.exec(QStringLiteral("SELECT counted_to, last FROM ArchiveTotalsPending LIMIT 1"));
    if (!mark.next() || mark.value(1).toLongLong() <= 0) {
        return 0;
    }
    return static_cast<int>(mark.value(0).toLongLong() * 100 / mark.value(1).toLongLong());
}

void CallArchive::checkWhole() const {
    d->requireOpen();
    // The server checks its own pages.
    if (!d->server) {
        d->conn.checkIntact();
    }
}

QString CallArchive::findDamage(const QString& path) {
    Connection reader(QStringLiteral("ARCHIVECHECK"));
    try {
        reader.openImmutable(path);
        reader.checkIntact();
    } catch (const DatabaseError& e) {
        return e.text();
    }
    return {};
}

bool CallArchive::isOpen() const {
    return d->conn.isOpen();
}

int CallArchive::add(const std::vector<ArchivedCall>& calls, const QDateTime& downloadedAt) {
    return add({DownloadedCalls{calls, downloadedAt}});
}

int CallArchive::add(const std::vector<DownloadedCalls>& downloads) {
    d->requireOpen();
    int added = 0;
    d->conn.runBatch([&] {
        MonthlyTotalsWriter monthly(d->conn.database(), d->totalsLine());
        added = d->server ? d->insertOnServer(downloads, monthly)
                          : d->insertIntoFile(downloads, monthly);
        monthly.write();
        if (d->server && added > 0) {
            d->conn.notify(QStringLiteral("tilka_archive"));
        }
    });
    return added;
}

int CallArchive::countHeld(const std::vector<ArchivedCall>& calls) const {
    d->requireOpen();
    QSqlQuery find(d->conn.database());
    const QString ofLine = d->server ? QStringLiteral(" AND line_name = ?") : QString();
    if (!find.prepare(QStringLiteral("SELECT 1 FROM Archive WHERE start_seconds = ? AND port_set = "
                                     "? AND call_kind = ? AND number = ? AND duration_seconds = "
                                     "? AND charge = ?%1")
                          .arg(ofLine))) {
        throw Connection::errorOf(find.lastError());
    }
    int held = 0;
    for (const ArchivedCall& call : calls) {
        find.bindValue(0, call.startSeconds);
        find.bindValue(1, call.portSet);
        find.bindValue(2, call.callKind);
        find.bindValue(3, Connection::text(call.number));
        find.bindValue(4, call.durationSeconds);
        find.bindValue(5, call.charge);
        if (d->server) {
            find.bindValue(6, d->lineName);
        }
        if (!find.exec()) {
            throw Connection::errorOf(find.lastError());
        }
        held += find.next() ? 1 : 0;
    }
    return held;
}

ArchiveTotals CallArchive::totals(const ArchiveQuery& query) const {
    d->requireOpen();
    const Condition c = conditionOf(query, d->dialect);
    // A message recorded while nobody answered has no call time of its own.
    QSqlQuery q =
        d->conn.exec(QStringLiteral("SELECT COUNT(*), %1, %2 FROM Archive%3")
                         .arg(d->dialect.total(QStringLiteral(
                                  "CASE WHEN start_seconds = 0 THEN 0 ELSE duration_seconds END")),
                              d->dialect.total(QStringLiteral("charge")), c.sql()),
                     c.values);
    ArchiveTotals t;
    if (q.next()) {
        t.count = q.value(0).toLongLong();
        t.durationSeconds = static_cast<int64_t>(q.value(1).toDouble());
        t.charge = static_cast<int64_t>(q.value(2).toDouble());
    }
    return t;
}

QList<ArchiveRow> CallArchive::rows(const ArchiveQuery& query, int limit,
                                    const std::optional<ArchiveRow>& after) const {
    d->requireOpen();
    Condition c = conditionOf(query, d->dialect);
    const QString column = sortColumn(query, d->dialect);
    const QString key = d->dialect.key();
    const QString dir = query.descending ? QStringLiteral(" DESC") : QString();
    if (after) {
        // Keyset paging: the rows past the last one shown, however deep the grid scrolls.
        c.terms << QStringLiteral("(%1, %2) %3 (?, ?)")
                       .arg(column, key,
                            query.descending ? QStringLiteral("<") : QStringLiteral(">"));
        c.values << after->sortKey << QVariant::fromValue<qint64>(after->id);
    }
    // The file keeps no lines: its calls are all this PC's.
    const QString line = d->server ? QStringLiteral("line_name") : QStringLiteral("''");
    QSqlQuery q = d->conn.exec(
        QStringLiteral("SELECT %1, %6, first_downloaded, moment, %2, %7 FROM Archive%3 ORDER BY "
                       "%2%4, %6%4 LIMIT %5")
            .arg(textColumns(), column, c.sql(), dir)
            .arg(limit)
            .arg(key, line),
        c.values);
    QList<ArchiveRow> out;
    while (q.next()) {
        ArchiveRow r;
        r.row = rowOf(q);
        r.id = q.value(8).toLongLong();
        r.firstDownloaded =
            QDateTime::fromString(q.value(9).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        r.moment = q.value(10).toLongLong();
        r.sortKey = q.value(11);
        r.lineName = q.value(12).toString();
        out << r;
    }
    return out;
}

void CallArchive::forEachRow(const ArchiveQuery& query,
                             const std::function<void(const LogRow&, int64_t moment)>& fn) const {
    d->requireOpen();
    const Condition c = conditionOf(query, d->dialect);
    const QString dir = query.descending ? QStringLiteral(" DESC") : QString();
    QSqlQuery q = d->conn.exec(
        QStringLiteral("SELECT %1, moment FROM Archive%2 ORDER BY %3%4, %5%4")
            .arg(textColumns(), c.sql(), sortColumn(query, d->dialect), dir, d->dialect.key()),
        c.values);
    while (q.next()) {
        fn(rowOf(q), q.value(8).toLongLong());
    }
}

std::vector<MonthKindTotal> CallArchive::monthTotals(const ArchiveSpan& span) const {
    d->requireTotals();
    const SpanRows rows =
        spanRows(span, QStringLiteral("SELECT month, kind, calls, charge FROM ArchiveMonths"),
                 QStringLiteral("SELECT CAST(? AS INTEGER) AS month, ログ通話方法 AS kind, 1 AS "
                                "calls, charge FROM Archive"),
                 d->server ? span.lineName : QString());
    std::vector<MonthKindTotal> out;
    if (rows.sql.isEmpty()) {
        return out;
    }
    QSqlQuery q =
        d->conn.exec(QStringLiteral("SELECT month, kind, SUM(calls), SUM(charge) FROM "
                                    "(%1) AS span GROUP BY month, kind ORDER BY month, kind")
                         .arg(rows.sql),
                     rows.values);
    while (q.next()) {
        out.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toLongLong(),
                       q.value(3).toLongLong()});
    }
    return out;
}

TopNumbers CallArchive::topNumbers(const ArchiveSpan& span, int limit) const {
    d->requireTotals();
    const SpanRows rows = spanRows(
        span, QStringLiteral("SELECT month, number, calls, charge FROM ArchiveNumberMonths"),
        QStringLiteral("SELECT CAST(? AS INTEGER) AS month, ログ電話番号 AS number, 1 AS calls, "
                       "charge FROM Archive"),
        d->server ? span.lineName : QString());
    TopNumbers top;
    if (rows.sql.isEmpty()) {
        return top;
    }
    // Both rankings from one pass over the totals, which is the slow part.
    QSqlQuery q = d->conn.exec(
        QStringLiteral(
            "WITH totals AS MATERIALIZED (SELECT number, SUM(calls) AS c, SUM(charge) AS ch FROM "
            "(%1) AS span WHERE number != '' GROUP BY number) "
            "SELECT * FROM (SELECT 0, number, c, ch FROM totals ORDER BY c DESC, ch DESC, number "
            "LIMIT %2) AS byCalls UNION ALL "
            "SELECT * FROM (SELECT 1, number, c, ch FROM totals WHERE ch > 0 ORDER BY ch DESC, c "
            "DESC, number LIMIT %2) AS byCharge")
            .arg(rows.sql)
            .arg(limit),
        rows.values);
    while (q.next()) {
        (q.value(0).toInt() == 0 ? top.byCalls : top.byCharge)
            .push_back({q.value(1).toString(), q.value(2).toLongLong(), q.value(3).toLongLong()});
    }
    return top;
}

QStringList CallArchive::numbers() const {
    d->requireOpen();
    // One index step a number rather than a scan of every call.
    QSqlQuery q = d->conn.exec(QStringLiteral(
        "WITH RECURSIVE n(number) AS (SELECT MIN(ログ電話番号) FROM Archive "
        "UNION ALL SELECT (SELECT MIN(ログ電話番号) FROM Archive WHERE ログ電話番号 > "
        "n.number) FROM n WHERE n.number IS NOT NULL) "
        "SELECT number FROM n WHERE number IS NOT NULL"));
    QStringList numbers;
    while (q.next()) {
        numbers << q.value(0).toString();
    }
    return numbers;
}

QStringList CallArchive::lineNames() const {
    d->requireOpen();
    QStringList lines;
    if (!d->server) {
        return lines;
    }
    // The totals hold every line in a row a month, far fewer than the calls.
    QSqlQuery q = d->conn.exec(
        QStringLiteral("SELECT DISTINCT line_name FROM ArchiveMonths ORDER BY line_name"));
    while (q.next()) {
        lines << q.value(0).toString();
    }
    return lines;
}

std::optional<int64_t> CallArchive::latestMoment() const {
    d->requireOpen();
    const QVariant latest = d->conn.scalar(QStringLiteral("SELECT MAX(moment) FROM Archive"));
    if (latest.isNull() || !latest.isValid()) {
        return std::nullopt;
    }
    return latest.toLongLong();
}

}  // namespace db
