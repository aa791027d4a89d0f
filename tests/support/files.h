#pragma once

#include <QByteArray>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// A whole file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
    }
}

// Makes an archive file look like one of the previous release: no monthly totals tables.
inline bool dropArchiveTotals(const QString& archivePath) {
    bool dropped = false;
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        raw.setDatabaseName(archivePath);
        if (raw.open()) {
            QSqlQuery q(raw);
            dropped = q.exec(QStringLiteral("DROP TABLE ArchiveMonths")) &&
                      q.exec(QStringLiteral("DROP TABLE ArchiveNumberMonths"));
        }
        raw.close();
    }
    QSqlDatabase::removeDatabase("raw");
    return dropped;
}
