#include "db/serverschema.h"

#include <QStringList>
#include <QSysInfo>

#include "db/calllogtable.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"

namespace db {
namespace {

// Texts compare and sort by their bytes, as in the files, whatever the server's locale; the
// server keeps no NULL text, so that the list's order needs no rule for it.
const QString TextColumn = QStringLiteral(" TEXT COLLATE \"C\" NOT NULL DEFAULT ''");

QString phoneBookTable() {
    QStringList columns{QStringLiteral("id BIGSERIAL PRIMARY KEY"),
                        // Counted up by every save, so that a save over someone else's is seen.
                        QStringLiteral("row_version INTEGER NOT NULL DEFAULT 1")};
    const QStringList fields = PhoneBookTable::fieldNames();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const bool picture = i == fields.size() - 1;
        columns << fields[i] + (picture ? QStringLiteral(" BYTEA") : TextColumn);
    }
    return QStringLiteral("CREATE TABLE Userdat (%1)").arg(columns.join(u", "));
}

QString archiveTable() {
    QStringList columns{QStringLiteral("id BIGSERIAL PRIMARY KEY")};
    for (const QString& name : CallLogTable::fieldNames()) {
        columns << name + TextColumn;
    }
    columns << QStringLiteral("start_seconds INTEGER NOT NULL")
            << QStringLiteral("port_set SMALLINT NOT NULL")
            << QStringLiteral("call_kind SMALLINT NOT NULL")
            << QStringLiteral("number") + TextColumn
            << QStringLiteral("duration_seconds INTEGER NOT NULL")
            << QStringLiteral("charge INTEGER NOT NULL") << QStringLiteral("moment BIGINT NOT NULL")
            << QStringLiteral("first_downloaded") + TextColumn
            // The adapter a call came from, as the PC that downloaded it names its line.
            << QStringLiteral("line_name") + TextColumn;
    return QStringLiteral("CREATE TABLE Archive (%1)").arg(columns.join(u", "));
}

// Unquoted names are the same in the server's catalog, Japanese ones exactly, Latin ones in
// lower case (userdat, archive).
QStringList versionOneSchema() {
    return {
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"),
        phoneBookTable(),
        QStringLiteral("CREATE UNIQUE INDEX userdat_name ON Userdat (氏名)"),
        // The list's orders: letters without case, then 氏名.
        QStringLiteral("CREATE INDEX userdat_yomi ON Userdat (lower(読み), 氏名)"),
        QStringLiteral("CREATE INDEX userdat_tel2 ON Userdat (lower(電話番号２), 氏名)"),
        archiveTable(),
        // A call downloaded by two PCs from one adapter is kept once.
        QStringLiteral("CREATE UNIQUE INDEX archive_call ON Archive (line_name, start_seconds, "
                       "port_set, call_kind, number, duration_seconds, charge)"),
        QStringLiteral("CREATE INDEX archive_moment ON Archive (moment, start_seconds, "
                       "duration_seconds, charge)"),
        QStringLiteral("CREATE INDEX archive_number ON Archive (ログ電話番号)"),
        // Substrings of digits are found through trigrams, not a scan.
        QStringLiteral("CREATE INDEX archive_digits ON Archive USING gin (ログ電話番号 "
                       "gin_trgm_ops)"),
        QStringLiteral("CREATE TABLE ArchiveMonths (line_name") + TextColumn +
            QStringLiteral(", month INTEGER NOT NULL, kind") + TextColumn +
            QStringLiteral(", calls BIGINT NOT NULL, charge BIGINT NOT NULL, PRIMARY KEY "
                           "(line_name, month, kind))"),
        QStringLiteral("CREATE TABLE ArchiveNumberMonths (line_name") + TextColumn +
            QStringLiteral(", month INTEGER NOT NULL, number") + TextColumn +
            QStringLiteral(", calls BIGINT NOT NULL, charge BIGINT NOT NULL, PRIMARY KEY "
                           "(line_name, month, number))"),
        QStringLiteral("CREATE TABLE tilka_schema (version INTEGER NOT NULL)"),
        QStringLiteral("INSERT INTO tilka_schema (version) VALUES (1)"),
    };
}

// Any number, so long as every release takes the same lock around its schema steps.
constexpr qint64 SchemaLock = 0x74696c6b61;

int versionOrMake(Connection& server) {
    server.exec(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {SchemaLock});
    const QVariant present = server.scalar(QStringLiteral("SELECT to_regclass('tilka_schema')"));
    if (present.isNull() || present.toString().isEmpty()) {
        for (const QString& statement : versionOneSchema()) {
            server.exec(statement);
        }
    }
    return server.scalar(QStringLiteral("SELECT MAX(version) FROM tilka_schema")).toInt();
}

}  // namespace

int prepareServerTables(Connection& server) {
    int version = 0;
    server.runBatch([&] { version = versionOrMake(server); });
    if (version > ServerSchemaVersion) {
        throw DatabaseError(QStringLiteral("サーバーの表は、この Tilka より新しい版 (%1) "
                                           "で作られています。Tilka を新しくしてください。")
                                .arg(version));
    }
    return version;
}

QString serverAddress(const appstate::StoreSettings& server) {
    return QStringLiteral("%1:%2/%3").arg(server.host).arg(server.port).arg(server.database);
}

QString serverLineName(const appstate::StoreSettings& server) {
    return server.lineName.isEmpty() ? QSysInfo::machineHostName() : server.lineName;
}

QString checkServer(const appstate::StoreSettings& server, const QString& password) {
    Connection connection(QStringLiteral("check"));
    try {
        connection.openServer(server, password);
    } catch (const DatabaseError& e) {
        return QStringLiteral("サーバー %1:%2 に接続できません。\n%3")
            .arg(server.host)
            .arg(server.port)
            .arg(e.text().trimmed());
    }
    try {
        prepareServerTables(connection);
    } catch (const DatabaseError& e) {
        return QStringLiteral("サーバーには接続できましたが、表を使えません。\n%1")
            .arg(e.text().trimmed());
    }
    return QString();
}

}  // namespace db
