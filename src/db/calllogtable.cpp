#include "db/calllogtable.h"

#include <QDir>
#include <QFile>
#include <array>

#include "db/connection.h"
#include "db/databaseerror.h"
#include "db/logrowmodel.h"

namespace db {
namespace {

struct Field {
    const char* name;
    int size;  // Shift-JIS bytes
    QString LogRow::*member;
};

// The table's schema: field names, order and sizes.
constexpr std::array<Field, 8> Fields{{
    {"ログNO", 4, &LogRow::logNo},
    {"ログ利用ポート", 8, &LogRow::ports},
    {"ログ通話方法", 12, &LogRow::kind},
    {"ログ氏名", 22, &LogRow::name},
    {"ログ電話番号", 30, &LogRow::number},
    {"ログ通話時間", 10, &LogRow::duration},
    {"ログ利用料金", 10, &LogRow::charge},
    {"ログ最終通話時刻", 18, &LogRow::callTime},
}};

const QString FileName = QStringLiteral("Logdat.db");

// Names stay unquoted: SQLite would read an unknown double-quoted name as a text literal and so
// hide a missing column.
QString sqlName(const char* name) {
    return QString::fromUtf8(name);
}

QString columnList() {
    QStringList columns;
    for (const Field& f : Fields) {
        columns << sqlName(f.name);
    }
    return columns.join(u", ");
}

QString createStatement() {
    QStringList columns;
    for (const Field& f : Fields) {
        columns << sqlName(f.name) + QStringLiteral(" TEXT");
    }
    return QStringLiteral("CREATE TABLE Logdat (%1)").arg(columns.join(u", "));
}

bool isForeignFile(const DatabaseError& e) {
    constexpr int Corrupt = 11;
    constexpr int NotADatabase = 26;
    return e.resultCode() == Corrupt || e.resultCode() == NotADatabase;
}

}  // namespace

struct CallLogTable::Impl {
    explicit Impl(QString f) : folder(std::move(f)) {}

    QString folder;
    Connection conn{QStringLiteral("LOG2DATA")};
    bool exclusive = false;
    bool filtered = false;
    std::vector<LogRow> rows;
    LogRowModel model;

    QString path() const { return QDir(folder).filePath(FileName); }

    void replaceTable() {
        conn.exec(QStringLiteral("DROP TABLE IF EXISTS Logdat"));
        conn.exec(createStatement());
    }

    void requireOpen() const {
        if (!conn.isOpen()) {
            throw DatabaseError(QStringLiteral("%1: table is not open").arg(FileName));
        }
    }
};

CallLogTable::CallLogTable(QString folder) : d(std::make_unique<Impl>(std::move(folder))) {}

CallLogTable::~CallLogTable() = default;

QStringList CallLogTable::fieldNames() {
    QStringList names;
    for (const Field& f : Fields) {
        names << QString::fromUtf8(f.name);
    }
    return names;
}

QString CallLogTable::field(const LogRow& row, int column) {
    return row.*Fields.at(static_cast<size_t>(column)).member;
}

void CallLogTable::setField(LogRow& row, int column, const QString& value) {
    row.*Fields.at(static_cast<size_t>(column)).member = value;
}

void CallLogTable::setExclusive(bool exclusive) {
    d->exclusive = exclusive;
}

void CallLogTable::createTable() {
    if (d->conn.isOpen()) {
        d->replaceTable();
        d->rows.clear();
        d->model.setRows({});
        return;
    }
    try {
        d->conn.open(d->path(), true, d->exclusive);
        d->replaceTable();
    } catch (const DatabaseError& e) {
        d->conn.close();
        // The log is rebuilt at every start, so a file that is not ours is simply replaced; a
        // file held by another instance is not (that error is "database is locked").
        if (!isForeignFile(e) || !QFile::remove(d->path())) {
            throw;
        }
        d->conn.open(d->path(), true, d->exclusive);
        d->replaceTable();
    }
    d->conn.close();
}

void CallLogTable::open() {
    close();
    d->conn.open(d->path(), false, d->exclusive);
    std::vector<LogRow> rows;
    try {
        // The call log is rebuilt from the adapter's image at every start, so waiting for the
        // disk on each conversion's commit would buy nothing.
        d->conn.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        QSqlQuery query =
            d->conn.exec(QStringLiteral("SELECT %1 FROM Logdat ORDER BY rowid").arg(columnList()));
        while (query.next()) {
            LogRow row;
            for (size_t i = 0; i < Fields.size(); ++i) {
                row.*Fields[i].member = query.value(static_cast<int>(i)).toString();
            }
            rows.push_back(row);
        }
        if (d->exclusive) {
            d->conn.lock();
        }
    } catch (const DatabaseError&) {
        d->conn.close();
        throw;
    }
    d->rows = std::move(rows);
    setFiltered(d->filtered);
}

void CallLogTable::close() {
    d->conn.close();
    d->rows.clear();
    d->model.setRows({});
}

bool CallLogTable::isOpen() const {
    return d->conn.isOpen();
}

void CallLogTable::append(const LogRow& row) {
    d->requireOpen();
    LogRow stored;
    QVariantList values;
    for (const Field& f : Fields) {
        values << Connection::cutText(row.*f.member, f.size);
        stored.*f.member = values.last().toString();
    }
    QStringList marks;
    marks.fill(QStringLiteral("?"), static_cast<qsizetype>(Fields.size()));
    d->conn.exec(
        QStringLiteral("INSERT INTO Logdat (%1) VALUES (%2)").arg(columnList(), marks.join(u',')),
        values);
    d->rows.push_back(stored);
    if (!d->filtered || !rowFilter || rowFilter(stored)) {
        d->model.appendRow(stored);
    }
}

void CallLogTable::beginBatch() {
    d->requireOpen();
    d->conn.beginBatch();
}

void CallLogTable::commitBatch() {
    d->conn.commitBatch();
}

void CallLogTable::setFiltered(bool on) {
    d->filtered = on;
    if (!on || !rowFilter) {
        d->model.setRows(d->rows);
        return;
    }
    std::vector<LogRow> visible;
    for (const LogRow& row : d->rows) {
        if (rowFilter(row)) {
            visible.push_back(row);
        }
    }
    d->model.setRows(std::move(visible));
}

bool CallLogTable::filtered() const {
    return d->filtered;
}

int CallLogTable::rowCount() const {
    return d->model.rowCount();
}

LogRow CallLogTable::row(int index) const {
    return d->model.rows().at(static_cast<size_t>(index));
}

QAbstractItemModel* CallLogTable::model() {
    return &d->model;
}

}  // namespace db
