#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "db/databaseerror.h"
#include "db/pagedrowsmodel.h"
#include "state/storesettings.h"

namespace db {

// One phone book record, fields in table order.
struct UserRecord {
    QString name;        // 氏名, 20, primary key
    QString yomi;        // 読み, 20
    QString tel2;        // 電話番号２, 30, the number in look-up form
    QString tel;         // 電話番号, 30
    QString fax;         // ＦＡＸ番号, 30
    QString zip;         // 郵便番号, 10
    QString address;     // 住所, 52
    QString note;        // 備考, 52
    QString lastCall;    // 最終通話, 20
    QString callTime;    // 通話時間, 20
    QString charges;     // 利用料金, 20
    QByteArray picture;  // 画像ﾃﾞｰﾀ, empty for none
    // On a server, the record's version when it was read, which a save checks; 0 where none is
    // kept (the file) or none was read.
    int rowVersion = 0;
};

// A save refused on a server because another PC changed or deleted the record since it was read.
class RecordChangedError : public DatabaseError {
public:
    explicit RecordChangedError(bool deleted);
    bool deleted() const { return deleted_; }

private:
    bool deleted_;
};

// The phone book table "Userdat" in the file Userdat.db with the indexes name (unique 氏名),
// yomi (読み) and tel2 (電話番号２). A cursor marks the current record; the current index sets
// the order in which the list and searches see the records.
class PhoneBookTable {
public:
    enum class Index { Yomi, Tel2 };

    explicit PhoneBookTable(QString folder);
    ~PhoneBookTable();

    static QStringList fieldNames();
    // The table file's name in its folder.
    static QString fileName();
    // The record with every text cut to its field's size, as the table would store it.
    static UserRecord fitted(const UserRecord& record);
    // The office's shared phone book on a PostgreSQL server instead of the file: open()
    // connects and makes the shared tables when missing. Exclusive use and copies are the
    // file's matters; a copy of the server's table is refused.
    void useServer(const appstate::StoreSettings& server);
    // On a server, runs after another PC changed the phone book, once the list has been read
    // anew (the current record kept), so that an open list shows the change.
    void setChangedElsewhere(std::function<void()> onChange);
    // Back to the file, closed, for a run whose server cannot be reached.
    void useFile();
    bool onServer() const;
    bool fileExists() const;

    // Creates the table and its three indexes in a new file. Throws DatabaseError.
    void createTable();
    void setExclusive(bool exclusive);
    // Opens the file as it is; a file that is not a usable phone book is refused with the
    // engine's text and left untouched. Throws DatabaseError.
    void open();
    void close();
    bool isOpen() const;
    QString path() const;
    // A consistent copy of the open table in a new file at target.
    void copyInto(const QString& target) const;

    void setIndex(Index index);
    Index index() const;

    // Exact search on the current index; where several records share the key, the one with the
    // smallest 氏名 becomes current. False (cursor unchanged) when none matches.
    bool findKey(const QString& key);
    // Makes the record with this 氏名 current.
    bool gotoName(const QString& name);
    // Makes the first record in the current order current; false when the table is empty.
    bool first();
    bool isEmpty() const;
    int recordCount() const;

    std::optional<UserRecord> current() const;
    // The record with this 氏名, without moving the cursor.
    std::optional<UserRecord> record(const QString& name) const;
    // Every record in the current order.
    QList<UserRecord> allRecords() const;

    // Appends a record; a 氏名 already present is refused with the engine's error. Texts are cut
    // to their fields' sizes in Shift-JIS bytes. The new record becomes current.
    void append(const UserRecord& record);
    // Replaces the current record (its 氏名 may change; a clash is refused like append).
    void post(const UserRecord& record);
    // Deletes the current record; the next one in the current order becomes current.
    void deleteCurrent();
    // Writes the last call, its duration and charge into the record with this 氏名.
    void setLastCall(const QString& name, const QString& lastCall, const QString& callTime,
                     const QString& charges);

    // The 氏名 a call from this look-up number shows: the first record with this 電話番号２ in
    // that index's order; none for an empty number or when no record has it. The cursor and the
    // current index stay as they are.
    std::optional<QString> nameForNumber(const QString& number) const;
    // The 電話番号２ of every record whose 氏名 or 読み contains text, each once.
    QStringList numbersOfNamesContaining(const QString& text) const;
    // Every record in the current order, pictures left out.
    void forEachRecord(const std::function<void(const UserRecord&)>& fn) const;

    // Groups the writes of one conversion into one transaction.
    void beginBatch();
    void commitBatch();
    // Drops every write of the batch; no record is current afterwards.
    void rollbackBatch();

    // A read-only model of all records in the current order for the list grid; it reads only
    // the pages the grid shows. rowOf() gives the row of a 氏名 in it, -1 when absent, and makes
    // the rows around it quick to read.
    PagedRowsModel* model();
    int rowOf(const QString& name);
    // Makes the record at that row of model() current.
    bool gotoRow(int row);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace db
