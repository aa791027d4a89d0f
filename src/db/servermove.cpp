#include "db/servermove.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <utility>

#include "db/connection.h"
#include "db/monthlytotals.h"
#include "db/phonebooktable.h"
#include "db/serverschema.h"

namespace db {
namespace {

const QStringList CallColumns{
    QStringLiteral("start_seconds"),    QStringLiteral("port_set"),
    QStringLiteral("call_kind"),        QStringLiteral("number"),
    QStringLiteral("duration_seconds"), QStringLiteral("charge"),
    QStringLiteral("moment"),           QStringLiteral("first_downloaded")};

// A file's text as the server keeps it: a NULL, which only a file made elsewhere holds, is empty.
QVariant serverText(const QVariant& value) {
    return value.isNull() ? QVariant(QString()) : value;
}

QString marks(qsizetype count) {
    QStringList all;
    all.fill(QStringLiteral("?"), count);
    return all.join(u',');
}

void prepare(QSqlQuery& query, const QString& sql) {
    if (!query.prepare(sql)) {
        throw Connection::errorOf(query.lastError());
    }
}

// Runs a prepared insert with values; true when it wrote a row.
bool insertRow(QSqlQuery& insert, const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i) {
        insert.bindValue(i, values[i]);
    }
    if (!insert.exec()) {
        throw Connection::errorOf(insert.lastError());
    }
    return insert.numRowsAffected() == 1;
}

void movePhoneBook(const QString& path, Connection& server, ServerMoveCounts& counts) {
    Connection file(QStringLiteral("move-userdat"));
    file.openImmutable(path);
    const QStringList fields = PhoneBookTable::fieldNames();
    QSqlQuery insert(server.database());
    prepare(insert, QStringLiteral("INSERT INTO Userdat (%1) VALUES (%2) ON CONFLICT (氏名) DO "
                                   "NOTHING")
                        .arg(fields.join(u", "), marks(fields.size())));
    QSqlQuery rows = file.exec(QStringLiteral("SELECT %1 FROM Userdat").arg(fields.join(u", ")));
    while (rows.next()) {
        QVariantList values;
        for (int i = 0; i < fields.size(); ++i) {
            const bool picture = i == fields.size() - 1;
            values << (picture ? rows.value(i) : serverText(rows.value(i)));
        }
        ++(insertRow(insert, values) ? counts.records : counts.recordsPresent);
    }
}

void moveArchive(const QString& path, Connection& server, const QString& line,
                 const MonthOfMoment& monthOf, ServerMoveCounts& counts) {
    Connection file(QStringLiteral("move-archive"));
    file.openImmutable(path);
    const QStringList texts = CallLogTable::fieldNames();
    const QStringList columns = texts + CallColumns;
    QSqlQuery insert(server.database());
    prepare(insert, QStringLiteral("INSERT INTO Archive (%1, line_name) VALUES (%2) ON CONFLICT "
                                   "DO NOTHING")
                        .arg(columns.join(u", "), marks(columns.size() + 1)));
    MonthlyTotalsWriter totals(server.database(), line);
    const int kindColumn = static_cast<int>(texts.indexOf(QStringLiteral("ログ通話方法")));
    const int numberColumn = static_cast<int>(texts.indexOf(QStringLiteral("ログ電話番号")));
    const int chargeColumn = static_cast<int>(columns.indexOf(QStringLiteral("charge")));
    const int momentColumn = static_cast<int>(columns.indexOf(QStringLiteral("moment")));
    QSqlQuery rows =
        file.exec(QStringLiteral("SELECT %1 FROM Archive ORDER BY rowid").arg(columns.join(u", ")));
    while (rows.next()) {
        QVariantList values;
        for (int i = 0; i < columns.size(); ++i) {
            values << (i < texts.size() ? serverText(rows.value(i)) : rows.value(i));
        }
        values << line;
        if (!insertRow(insert, values)) {
            ++counts.callsPresent;
            continue;
        }
        ++counts.calls;
        totals.count(monthOf(rows.value(momentColumn).toLongLong()),
                     rows.value(kindColumn).toString(), rows.value(numberColumn).toString(),
                     rows.value(chargeColumn).toLongLong());
    }
    totals.write();
}

}  // namespace

ServerMoveCounts moveToServer(const QString& folder, const appstate::StoreSettings& server,
                              const MonthOfMoment& monthOf, const QString& password) {
    Connection connection(QStringLiteral("move"));
    connection.openServer(server, password);
    prepareServerTables(connection);
    const QString phoneBook = QDir(folder).filePath(PhoneBookTable::fileName());
    const QString archive = QDir(folder).filePath(CallArchive::fileName());
    ServerMoveCounts counts;
    connection.runBatch([&] {
        if (QFileInfo::exists(phoneBook)) {
            movePhoneBook(phoneBook, connection, counts);
        }
        if (QFileInfo::exists(archive)) {
            moveArchive(archive, connection, serverLineName(server), monthOf, counts);
        }
    });
    return counts;
}

}  // namespace db
