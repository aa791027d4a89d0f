#include "db/serverschema.h"

#include <QStringList>

#include "db/calllogtable.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"

namespace db {
namespace {

// Names are quoted: the server would fold unquoted ones to lower case.
QString quoted(const QString& name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QString phoneBookTable() {
    QStringList columns{QStringLiteral("id BIGSERIAL PRIMARY KEY"),
                        // Counted up by every save, so that a save over someone else's is seen.
                        QStringLiteral("row_version INTEGER NOT NULL DEFAULT 1")};
    const QStringList fields = PhoneBookTable::fieldNames();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const bool picture = i == fields.size() - 1;
        columns << quoted(fields[i]) + (picture ? QStringLiteral(" BYTEA")
                                                : (i == 0 ? QStringLiteral(" TEXT NOT NULL")
                                                          : QStringLiteral(" TEXT")));
    }
    return QStringLiteral("CREATE TABLE \"Userdat\" (%1)").arg(columns.join(u", "));
}

QString archiveTable() {
    QStringList columns{QStringLiteral("id BIGSERIAL PRIMARY KEY")};
    for (const QString& name : CallLogTable::fieldNames()) {
        columns << quoted(name) + QStringLiteral(" TEXT NOT NULL");
    }
    columns << QStringLiteral("start_seconds INTEGER NOT NULL")
            << QStringLiteral("port_set SMALLINT NOT NULL")
            << QStringLiteral("call_kind SMALLINT NOT NULL")
            << QStringLiteral("number TEXT NOT NULL")
            << QStringLiteral("duration_seconds INTEGER NOT NULL")
            << QStringLiteral("charge INTEGER NOT NULL") << QStringLiteral("moment BIGINT NOT NULL")
            << QStringLiteral("first_downloaded TEXT NOT NULL")
            // The adapter a call came from, as the PC that downloaded it names its line.
            << QStringLiteral("line_name TEXT NOT NULL DEFAULT ''");
    return QStringLiteral("CREATE TABLE \"Archive\" (%1)").arg(columns.join(u", "));
}

QStringList versionOneSchema() {
    return {
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"),
        phoneBookTable(),
        QStringLiteral("CREATE UNIQUE INDEX userdat_name ON \"Userdat\" (\"氏名\")"),
        QStringLiteral("CREATE INDEX userdat_yomi ON \"Userdat\" (lower(\"読み\"))"),
        QStringLiteral("CREATE INDEX userdat_tel2 ON \"Userdat\" (lower(\"電話番号２\"))"),
        archiveTable(),
        // A call downloaded by two PCs from one adapter is kept once.
        QStringLiteral("CREATE UNIQUE INDEX archive_call ON \"Archive\" (line_name, "
                       "start_seconds, port_set, call_kind, number, duration_seconds, charge)"),
        QStringLiteral("CREATE INDEX archive_moment ON \"Archive\" (moment, start_seconds, "
                       "duration_seconds, charge)"),
        QStringLiteral("CREATE INDEX archive_number ON \"Archive\" (\"ログ電話番号\")"),
        // Substrings of digits are found through trigrams, not a scan.
        QStringLiteral("CREATE INDEX archive_digits ON \"Archive\" USING gin (\"ログ電話番号\" "
                       "gin_trgm_ops)"),
        QStringLiteral("CREATE TABLE \"ArchiveMonths\" (line_name TEXT NOT NULL, month INTEGER "
                       "NOT NULL, kind TEXT NOT NULL, calls BIGINT NOT NULL, charge BIGINT NOT "
                       "NULL, PRIMARY KEY (line_name, month, kind))"),
        QStringLiteral("CREATE TABLE \"ArchiveNumberMonths\" (line_name TEXT NOT NULL, month "
                       "INTEGER NOT NULL, number TEXT NOT NULL, calls BIGINT NOT NULL, charge "
                       "BIGINT NOT NULL, PRIMARY KEY (line_name, month, number))"),
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
    server.beginBatch();
    int version = 0;
    try {
        version = versionOrMake(server);
    } catch (...) {
        try {
            server.rollbackBatch();
        } catch (const DatabaseError&) {
            // The failure that ended the steps is the one told.
        }
        throw;
    }
    server.commitBatch();
    if (version > ServerSchemaVersion) {
        throw DatabaseError(QStringLiteral("サーバーの表は、この Tilka より新しい版 (%1) "
                                           "で作られています。Tilka を新しくしてください。")
                                .arg(version));
    }
    return version;
}

QString checkServer(const appstate::StoreSettings& server) {
    Connection connection(QStringLiteral("check"));
    try {
        connection.openServer(server);
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
