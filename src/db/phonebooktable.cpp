#include "db/phonebooktable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <algorithm>
#include <array>
#include <iterator>
#include <map>

#include "db/connection.h"
#include "db/databaseerror.h"
#include "db/pagedrowsmodel.h"
#include "db/serverschema.h"

namespace db {
namespace {

struct Field {
    const char* name;
    int size;  // Shift-JIS bytes
    QString UserRecord::*member;
};

// The table's schema: the text fields in order and sizes; the picture field comes last.
constexpr std::array<Field, 11> TextFields{{
    {"氏名", 20, &UserRecord::name},
    {"読み", 20, &UserRecord::yomi},
    {"電話番号２", 30, &UserRecord::tel2},
    {"電話番号", 30, &UserRecord::tel},
    {"ＦＡＸ番号", 30, &UserRecord::fax},
    {"郵便番号", 10, &UserRecord::zip},
    {"住所", 52, &UserRecord::address},
    {"備考", 52, &UserRecord::note},
    {"最終通話", 20, &UserRecord::lastCall},
    {"通話時間", 20, &UserRecord::callTime},
    {"利用料金", 20, &UserRecord::charges},
}};
constexpr const char* PictureField = "画像ﾃﾞｰﾀ";

const QString FileName = QStringLiteral("Userdat.db");

// Names stay unquoted: SQLite would read an unknown double-quoted name as a text literal and so
// hide a missing column.
QString sqlName(const char* name) {
    return QString::fromUtf8(name);
}

QString textColumns() {
    QStringList columns;
    for (const Field& f : TextFields) {
        columns << sqlName(f.name);
    }
    return columns.join(u", ");
}

QString allColumns() {
    return textColumns() + QStringLiteral(", ") + sqlName(PictureField);
}

QStringList schema() {
    QStringList columns;
    for (const Field& f : TextFields) {
        columns << sqlName(f.name) + QStringLiteral(" TEXT");
    }
    columns.first() += QStringLiteral(" NOT NULL");
    columns << sqlName(PictureField) + QStringLiteral(" BLOB");
    return {
        QStringLiteral("CREATE TABLE Userdat (%1)").arg(columns.join(u", ")),
        QStringLiteral("CREATE UNIQUE INDEX name ON Userdat (氏名)"),
        QStringLiteral("CREATE INDEX yomi ON Userdat (読み COLLATE NOCASE)"),
        QStringLiteral("CREATE INDEX tel2 ON Userdat (電話番号２ COLLATE NOCASE)"),
    };
}

QVariant cutText(size_t field, const QString& text) {
    return Connection::cutText(text, TextFields[field].size);
}

// The record's values in table order, each text cut to its field's size.
QVariantList values(const UserRecord& record) {
    QVariantList list;
    for (size_t i = 0; i < TextFields.size(); ++i) {
        list << cutText(i, record.*TextFields[i].member);
    }
    list << record.picture;
    return list;
}

QString cutName(const QString& name) {
    return cutText(0, name).toString();
}

UserRecord recordFrom(const QSqlQuery& query) {
    UserRecord record;
    for (size_t i = 0; i < TextFields.size(); ++i) {
        record.*TextFields[i].member = query.value(static_cast<int>(i)).toString();
    }
    record.picture = query.value(static_cast<int>(TextFields.size())).toByteArray();
    return record;
}

[[noreturn]] void noCurrentRecord() {
    throw DatabaseError(QStringLiteral("%1: no current record").arg(FileName));
}

}  // namespace

RecordChangedError::RecordChangedError(bool deleted)
    : DatabaseError(deleted
                        ? QStringLiteral("この記録は、編集している間にほかのPCで削除されました。"
                                         "もう一度保存すると、新しい記録として書き込みます。")
                        : QStringLiteral("この記録は、編集している間にほかのPCで変更されました。"
                                         "いまの内容を表示します。")),
      deleted_(deleted) {}

struct PhoneBookTable::Impl {
    explicit Impl(QString f) : folder(std::move(f)) {}

    QString folder;
    Connection conn{QStringLiteral("USER2DATA")};
    std::unique_ptr<PagedRowsModel> model;
    // Rows whose place in the current order is known, with their key and 氏名: the list reads
    // from the nearest one along the key's index instead of counting from the first record.
    std::map<int, std::pair<QVariant, QString>> anchors;
    std::optional<int> records;  // the number of records, while known
    bool exclusive = false;
    // The office's shared table instead of the file, when set.
    std::optional<appstate::StoreSettings> server;
    std::function<void()> changedElsewhere;

    // Other PCs' lists read the change anew.
    void tellOthers() const {
        if (server) {
            conn.notify(QStringLiteral("tilka_userdat"));
        }
    }
    Index index = Index::Yomi;
    std::optional<QString> cursor;  // 氏名 of the current record

    QString path() const {
        return server ? serverAddress(*server) : QDir(folder).filePath(FileName);
    }

    // The engine's spelling of the comparisons the list needs: letters compared without case,
    // and the tie order by 氏名 that keeps the planner on the key's index.
    QString folded(const QString& expression) const {
        return server ? QStringLiteral("lower(%1)").arg(expression)
                      : expression + QStringLiteral(" COLLATE NOCASE");
    }
    QString foldedValue() const {
        return server ? QStringLiteral("lower(?)") : QStringLiteral("?");
    }
    QString byNameOnly() const {
        // Unary + keeps the file's planner on the key's index rather than walking "name".
        return server ? QStringLiteral(" ORDER BY 氏名") : QStringLiteral(" ORDER BY +氏名");
    }
    QString holds(const QString& column) const {
        return (server ? QStringLiteral("strpos(%1, ?) > 0") : QStringLiteral("instr(%1, ?) > 0"))
            .arg(column);
    }

    void requireOpen() const {
        if (!conn.isOpen()) {
            throw DatabaseError(QStringLiteral("%1: table is not open").arg(FileName));
        }
    }

    QString key() const {
        return index == Index::Yomi ? QStringLiteral("読み") : QStringLiteral("電話番号２");
    }

    // The order of the current index; 氏名 settles ties so that every position is unique.
    QString orderBy(bool descending = false) const {
        const QString dir = descending ? QStringLiteral(" DESC") : QString();
        return QStringLiteral(" ORDER BY %1%2, 氏名%2").arg(folded(key()), dir);
    }

    // Comparisons with a record's key in the current order. NULL keys, which only a file made
    // elsewhere can hold, sort first as in ORDER BY.
    QString sameKey(const QVariant& keyValue) const {
        return keyValue.isNull() ? QStringLiteral("%1 IS NULL").arg(key())
                                 : QStringLiteral("%1 = %2").arg(folded(key()), foldedValue());
    }
    static QVariantList bound(const QVariant& keyValue, const QVariantList& more) {
        return keyValue.isNull() ? more : QVariantList{keyValue} + more;
    }

    // The record after this one in the current order.
    std::optional<QString> nextAfter(const QString& name, const QVariant& keyValue) const {
        const auto tie =
            nameAt(QStringLiteral("SELECT 氏名 FROM Userdat WHERE %1 AND 氏名 > ?%2 LIMIT 1")
                       .arg(sameKey(keyValue), byNameOnly()),
                   bound(keyValue, {name}));
        if (tie) {
            return tie;
        }
        const QString greater = keyValue.isNull()
                                    ? QStringLiteral("%1 IS NOT NULL").arg(key())
                                    : QStringLiteral("%1 > %2").arg(folded(key()), foldedValue());
        return nameAt(
            QStringLiteral("SELECT 氏名 FROM Userdat WHERE %1%2 LIMIT 1").arg(greater, orderBy()),
            bound(keyValue, {}));
    }

    // How many records come before this one; each count is a range on the key's index.
    int countBefore(const QString& name, const QVariant& keyValue) const {
        const QString ties = QStringLiteral("(SELECT COUNT(*) FROM Userdat WHERE %1 AND 氏名 < ?)")
                                 .arg(sameKey(keyValue));
        if (keyValue.isNull()) {
            return conn.scalar(QStringLiteral("SELECT ") + ties, {name}).toInt();
        }
        // The server keeps no NULL text, and its planner would read every record to find none.
        const QString nullKeys =
            server
                ? QString()
                : QStringLiteral(" + (SELECT COUNT(*) FROM Userdat WHERE %1 IS NULL)").arg(key());
        return conn
            .scalar(QStringLiteral("SELECT %1%2 + (SELECT COUNT(*) FROM Userdat WHERE %3 < %4)")
                        .arg(ties, nullKeys, folded(key()), foldedValue()),
                    {keyValue, name, keyValue})
            .toInt();
    }

    std::optional<QVariant> keyOf(const QString& name) const {
        QSqlQuery query =
            conn.exec(QStringLiteral("SELECT %1 FROM Userdat WHERE 氏名 = ?").arg(key()), {name});
        if (!query.next()) {
            return std::nullopt;
        }
        return query.value(0);
    }

    std::optional<QString> nameAt(const QString& sql, const QVariantList& bound) const {
        const QVariant name = conn.scalar(sql, bound);
        return name.isValid() ? std::optional<QString>(name.toString()) : std::nullopt;
    }

    // The writes of a batch show in the list when the batch is committed. A new order keeps
    // the number of records, which costs a pass over an index to count.
    void refreshModel(bool sameRecords = false) {
        if (!sameRecords) {
            records.reset();
        }
        if (!model || conn.inBatch()) {
            return;
        }
        anchors.clear();
        if (!conn.isOpen()) {
            model->clear();
            return;
        }
        if (!records) {
            records = conn.scalar(QStringLiteral("SELECT COUNT(*) FROM Userdat")).toInt();
        }
        model->reset(*records, [this](int first, int n) { return readRows(first, n); });
    }

    int keyColumn() const { return index == Index::Yomi ? 1 : 2; }

    void remember(int row, const QVariant& keyValue, const QString& name) {
        // A NULL or empty key has no range of its own to read along.
        if (!keyValue.isNull() && !keyValue.toString().isEmpty()) {
            anchors[row] = {keyValue, name};
        }
    }

    // Reads rows in the current order, along the key's index from the nearest known row when
    // that is nearer than the first record. NULL keys sort first and are never read past
    // backwards: a short backward read falls back to counting from the first record.
    std::vector<QStringList> readRows(int first, int count) {
        const int last = first + count - 1;
        std::vector<QStringList> rows;
        const auto after = anchors.upper_bound(last);
        if (after != anchors.begin()) {
            const auto& [row, anchor] = *std::prev(after);
            if (row >= first) {
                rows = readBefore(anchor, row - first, 0);
                if (static_cast<int>(rows.size()) == row - first) {
                    std::vector<QStringList> rest = readFrom(anchor, true, last - row + 1, 0);
                    rows.insert(rows.end(), rest.begin(), rest.end());
                } else {
                    rows.clear();
                }
            } else if (first - row <= first) {
                rows = readFrom(anchor, false, count, first - row - 1);
            }
        }
        if (rows.empty() && after != anchors.end() && after->first - last <= first) {
            rows = readBefore(after->second, count, after->first - last - 1);
            if (static_cast<int>(rows.size()) != count) {
                rows.clear();
            }
        }
        if (rows.empty()) {
            rows = select(orderBy() + QStringLiteral(" LIMIT ? OFFSET ?"), {count, first});
        }
        for (const size_t i : {size_t{0}, rows.size() - 1}) {
            if (i < rows.size()) {
                remember(first + static_cast<int>(i), rows[i][keyColumn()], rows[i][0]);
            }
        }
        return rows;
    }

    using Anchor = std::pair<QVariant, QString>;

    // count rows from the anchor on (with it when inclusive), skipping skip of them.
    std::vector<QStringList> readFrom(const Anchor& anchor, bool inclusive, int count, int skip) {
        const QString nameTest = inclusive ? QStringLiteral("<") : QStringLiteral("<=");
        return select(QStringLiteral("WHERE %1 >= %2 AND NOT (%1 = %2 AND 氏名 %3 ?)%4 LIMIT ? "
                                     "OFFSET ?")
                          .arg(folded(key()), foldedValue(), nameTest, orderBy()),
                      {anchor.first, anchor.first, anchor.second, count, skip});
    }

    // The count rows before the anchor, skipping skip of the nearest, in the current order.
    std::vector<QStringList> readBefore(const Anchor& anchor, int count, int skip) {
        std::vector<QStringList> rows = select(
            QStringLiteral("WHERE %1 <= %2 AND NOT (%1 = %2 AND 氏名 >= ?)%3 LIMIT ? OFFSET ?")
                .arg(folded(key()), foldedValue(), orderBy(true)),
            {anchor.first, anchor.first, anchor.second, count, skip});
        std::reverse(rows.begin(), rows.end());
        return rows;
    }

    // The text columns of the rows the clauses select.
    std::vector<QStringList> select(const QString& clauses, const QVariantList& bound) const {
        QSqlQuery query = conn.exec(
            QStringLiteral("SELECT %1 FROM Userdat %2").arg(textColumns(), clauses), bound);
        std::vector<QStringList> rows;
        while (query.next()) {
            QStringList cells;
            for (int c = 0; c < static_cast<int>(TextFields.size()); ++c) {
                cells << query.value(c).toString();
            }
            rows.push_back(std::move(cells));
        }
        return rows;
    }

    // A write that may meet the unique name: the server says so in its own words, the editor
    // shows the file's, so both stores tell the user the same.
    QSqlQuery execWrite(const QString& sql, const QVariantList& values) {
        try {
            return conn.exec(sql, values);
        } catch (const DatabaseError& e) {
            if (e.serverState() == QLatin1String(DatabaseError::UniqueViolation)) {
                throw DatabaseError(QStringLiteral("UNIQUE constraint failed: Userdat.氏名"));
            }
            throw;
        }
    }

    void checkUsable() {
        if (!server) {
            conn.checkIntact();
        }
        conn.exec(QStringLiteral("SELECT %1 FROM Userdat LIMIT 0").arg(allColumns()));
    }
};

PhoneBookTable::PhoneBookTable(QString folder) : d(std::make_unique<Impl>(std::move(folder))) {}

PhoneBookTable::~PhoneBookTable() = default;

QString PhoneBookTable::fileName() {
    return FileName;
}

QStringList PhoneBookTable::fieldNames() {
    QStringList names;
    for (const Field& f : TextFields) {
        names << QString::fromUtf8(f.name);
    }
    names << QString::fromUtf8(PictureField);
    return names;
}

UserRecord PhoneBookTable::fitted(const UserRecord& record) {
    UserRecord cut = record;
    for (size_t i = 0; i < TextFields.size(); ++i) {
        cut.*TextFields[i].member = cutText(i, record.*TextFields[i].member).toString();
    }
    return cut;
}

QString PhoneBookTable::path() const {
    return d->path();
}

void PhoneBookTable::copyInto(const QString& target) const {
    if (d->server) {
        throw DatabaseError(QStringLiteral(
            "サーバーの電話帳はファイルに写せません。サーバーの pg_dump で保存してください。"));
    }
    d->conn.copyInto(target);
}

void PhoneBookTable::useServer(const appstate::StoreSettings& server) {
    close();
    d->server = server;
}

void PhoneBookTable::setChangedElsewhere(std::function<void()> onChange) {
    d->changedElsewhere = std::move(onChange);
}

void PhoneBookTable::useFile() {
    close();
    d->server.reset();
}

bool PhoneBookTable::onServer() const {
    return d->server.has_value();
}

bool PhoneBookTable::fileExists() const {
    // The server's tables are made when opened.
    return d->server || QFileInfo::exists(d->path());
}

void PhoneBookTable::createTable() {
    if (d->server) {
        const bool wasOpen = d->conn.isOpen();
        if (!wasOpen) {
            d->conn.openServer(*d->server);
        }
        try {
            prepareServerTables(d->conn);
        } catch (const DatabaseError&) {
            if (!wasOpen) {
                d->conn.close();
            }
            throw;
        }
        if (!wasOpen) {
            d->conn.close();
        }
        return;
    }
    const bool wasOpen = d->conn.isOpen();
    const bool newFile = !fileExists();
    try {
        if (!wasOpen) {
            d->conn.open(d->path(), true, d->exclusive);
        }
        // One transaction: no half-made phone book is left behind. An existing table makes
        // CREATE TABLE fail, so nothing already there is ever replaced.
        d->conn.beginBatch();
        for (const QString& statement : schema()) {
            d->conn.exec(statement);
        }
        d->conn.commitBatch();
    } catch (const DatabaseError&) {
        if (!wasOpen) {
            d->conn.close();
            if (newFile) {
                QFile::remove(d->path());
            }
        }
        throw;
    }
    if (!wasOpen) {
        d->conn.close();
    }
}

void PhoneBookTable::setExclusive(bool exclusive) {
    d->exclusive = exclusive;
}

void PhoneBookTable::open() {
    close();
    if (d->server) {
        d->conn.openServer(*d->server);
    } else {
        d->conn.open(d->path(), false, d->exclusive);
    }
    try {
        if (d->server) {
            prepareServerTables(d->conn);
            d->conn.listen(QStringLiteral("tilka_userdat"), [this] {
                d->refreshModel();
                if (d->changedElsewhere) {
                    d->changedElsewhere();
                }
            });
        }
        d->checkUsable();
        if (d->exclusive && !d->server) {
            d->conn.lock();
        }
        d->refreshModel();
    } catch (const DatabaseError&) {
        close();
        throw;
    }
}

void PhoneBookTable::close() {
    d->conn.close();
    d->cursor.reset();
    d->refreshModel();
}

bool PhoneBookTable::isOpen() const {
    return d->conn.isOpen();
}

void PhoneBookTable::setIndex(Index index) {
    if (d->index == index) {
        return;
    }
    d->index = index;
    if (d->conn.isOpen()) {
        d->refreshModel(true);
    }
}

PhoneBookTable::Index PhoneBookTable::index() const {
    return d->index;
}

bool PhoneBookTable::findKey(const QString& key) {
    d->requireOpen();
    const auto name = d->nameAt(QStringLiteral("SELECT 氏名 FROM Userdat WHERE %1 = %2%3 LIMIT 1")
                                    .arg(d->folded(d->key()), d->foldedValue(), d->byNameOnly()),
                                {Connection::text(key)});
    if (!name) {
        return false;
    }
    d->cursor = name;
    return true;
}

bool PhoneBookTable::gotoName(const QString& name) {
    d->requireOpen();
    if (!d->keyOf(name)) {
        return false;
    }
    d->cursor = name;
    return true;
}

std::optional<QString> PhoneBookTable::nameForNumber(const QString& number) const {
    d->requireOpen();
    if (number.isEmpty()) {
        return std::nullopt;
    }
    return d->nameAt(
        QStringLiteral("SELECT 氏名 FROM Userdat WHERE %1 = %2%3 LIMIT 1")
            .arg(d->folded(QStringLiteral("電話番号２")), d->foldedValue(), d->byNameOnly()),
        {number});
}

QStringList PhoneBookTable::numbersOfNamesContaining(const QString& text) const {
    d->requireOpen();
    QSqlQuery query = d->conn.exec(
        QStringLiteral("SELECT DISTINCT 電話番号２ FROM Userdat WHERE 電話番号２ != '' AND "
                       "(%1 OR %2)")
            .arg(d->holds(QStringLiteral("氏名")), d->holds(QStringLiteral("読み"))),
        {Connection::text(text), Connection::text(text)});
    QStringList numbers;
    while (query.next()) {
        numbers << query.value(0).toString();
    }
    return numbers;
}

void PhoneBookTable::forEachRecord(const std::function<void(const UserRecord&)>& fn) const {
    d->requireOpen();
    QSqlQuery query =
        d->conn.exec(QStringLiteral("SELECT %1 FROM Userdat%2").arg(textColumns(), d->orderBy()));
    while (query.next()) {
        UserRecord record;
        for (size_t i = 0; i < TextFields.size(); ++i) {
            record.*TextFields[i].member = query.value(static_cast<int>(i)).toString();
        }
        fn(record);
    }
}

bool PhoneBookTable::first() {
    d->requireOpen();
    const auto name =
        d->nameAt(QStringLiteral("SELECT 氏名 FROM Userdat%1 LIMIT 1").arg(d->orderBy()), {});
    if (!name) {
        return false;
    }
    d->cursor = name;
    return true;
}

bool PhoneBookTable::isEmpty() const {
    return recordCount() == 0;
}

int PhoneBookTable::recordCount() const {
    d->requireOpen();
    return d->conn.scalar(QStringLiteral("SELECT COUNT(*) FROM Userdat")).toInt();
}

std::optional<UserRecord> PhoneBookTable::current() const {
    if (!d->cursor) {
        return std::nullopt;
    }
    return record(*d->cursor);
}

std::optional<UserRecord> PhoneBookTable::record(const QString& name) const {
    if (!d->conn.isOpen()) {
        return std::nullopt;
    }
    const QString version = d->server ? QStringLiteral(", row_version") : QString();
    QSqlQuery query = d->conn.exec(
        QStringLiteral("SELECT %1%2 FROM Userdat WHERE 氏名 = ?").arg(allColumns(), version),
        {name});
    if (!query.next()) {
        return std::nullopt;
    }
    UserRecord found = recordFrom(query);
    if (d->server) {
        found.rowVersion = query.value(static_cast<int>(TextFields.size()) + 1).toInt();
    }
    return found;
}

QList<UserRecord> PhoneBookTable::allRecords() const {
    d->requireOpen();
    QSqlQuery query =
        d->conn.exec(QStringLiteral("SELECT %1 FROM Userdat%2").arg(allColumns(), d->orderBy()));
    QList<UserRecord> records;
    while (query.next()) {
        records << recordFrom(query);
    }
    return records;
}

void PhoneBookTable::append(const UserRecord& record) {
    d->requireOpen();
    QStringList marks;
    marks.fill(QStringLiteral("?"), static_cast<qsizetype>(TextFields.size() + 1));
    d->execWrite(
        QStringLiteral("INSERT INTO Userdat (%1) VALUES (%2)").arg(allColumns(), marks.join(u',')),
        values(record));
    d->tellOthers();
    d->cursor = cutName(record.name);
    d->refreshModel();
}

void PhoneBookTable::post(const UserRecord& record) {
    d->requireOpen();
    if (!d->cursor) {
        noCurrentRecord();
    }
    QStringList sets;
    for (const QString& name : fieldNames()) {
        sets << name + QStringLiteral(" = ?");
    }
    QVariantList bound = values(record);
    bound << *d->cursor;
    // On a server a save counts the version up, and one read before someone else's save is
    // refused rather than overwriting it.
    QString versionCheck;
    if (d->server) {
        sets << QStringLiteral("row_version = row_version + 1");
        if (record.rowVersion > 0) {
            versionCheck = QStringLiteral(" AND row_version = ?");
            bound << record.rowVersion;
        }
    }
    const QSqlQuery query = d->execWrite(QStringLiteral("UPDATE Userdat SET %1 WHERE 氏名 = ?%2")
                                             .arg(sets.join(u", "), versionCheck),
                                         bound);
    if (query.numRowsAffected() == 0) {
        if (!versionCheck.isEmpty()) {
            const bool deleted = !this->record(*d->cursor);
            d->refreshModel();
            throw RecordChangedError(deleted);
        }
        noCurrentRecord();
    }
    d->tellOthers();
    d->cursor = cutName(record.name);
    d->refreshModel();
}

void PhoneBookTable::deleteCurrent() {
    d->requireOpen();
    const auto keyValue = d->cursor ? d->keyOf(*d->cursor) : std::nullopt;
    if (!keyValue) {
        noCurrentRecord();
    }
    const QString name = *d->cursor;
    auto next = d->nextAfter(name, *keyValue);
    d->conn.exec(QStringLiteral("DELETE FROM Userdat WHERE 氏名 = ?"), {name});
    d->tellOthers();
    if (!next) {
        // Deleting the last record in the order leaves the new last one current.
        next = d->nameAt(QStringLiteral("SELECT 氏名 FROM Userdat%1 LIMIT 1").arg(d->orderBy(true)),
                         {});
    }
    d->cursor = next;
    d->refreshModel();
}

void PhoneBookTable::setLastCall(const QString& name, const QString& lastCall,
                                 const QString& callTime, const QString& charges) {
    d->requireOpen();
    const QSqlQuery query =
        d->conn.exec(QStringLiteral("UPDATE Userdat SET 最終通話 = ?, 通話時間 = ?, "
                                    "利用料金 = ? WHERE 氏名 = ?"),
                     {cutText(8, lastCall), cutText(9, callTime), cutText(10, charges), name});
    if (query.numRowsAffected() == 0) {
        noCurrentRecord();
    }
    d->tellOthers();
    d->refreshModel();
}

void PhoneBookTable::beginBatch() {
    d->requireOpen();
    d->conn.beginBatch();
}

void PhoneBookTable::commitBatch() {
    d->conn.commitBatch();
    d->refreshModel();
}

void PhoneBookTable::rollbackBatch() {
    d->conn.rollbackBatch();
    d->cursor.reset();
    d->refreshModel();
}

PagedRowsModel* PhoneBookTable::model() {
    if (!d->model) {
        QStringList columns = fieldNames();
        columns.removeLast();  // the picture is not shown in the list
        d->model = std::make_unique<PagedRowsModel>(columns);
        d->refreshModel();
    }
    return d->model.get();
}

int PhoneBookTable::rowOf(const QString& name) {
    d->requireOpen();
    const auto keyValue = d->keyOf(name);
    if (!keyValue) {
        return -1;
    }
    const int row = d->countBefore(name, *keyValue);
    d->remember(row, *keyValue, name);
    return row;
}

bool PhoneBookTable::gotoRow(int row) {
    d->requireOpen();
    if (row < 0) {
        return false;
    }
    // A row the grid shows is already fetched; skipping to it in the engine costs a scan.
    if (d->model && !d->conn.inBatch() && row < d->model->rowCount()) {
        d->cursor = d->model->text(row, 0);
        return true;
    }
    const auto name = d->nameAt(
        QStringLiteral("SELECT 氏名 FROM Userdat%1 LIMIT 1 OFFSET ?").arg(d->orderBy()), {row});
    if (!name) {
        return false;
    }
    d->cursor = name;
    return true;
}

}  // namespace db
