#include "db/tablebackups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <exception>

#include "db/callarchive.h"
#include "db/connection.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"

namespace db {
namespace {

const QString DateFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString stemOf(BackupKind kind) {
    return kind == BackupKind::PhoneBook ? QStringLiteral("Userdat") : QStringLiteral("Archive");
}

QString tableFileOf(BackupKind kind) {
    return stemOf(kind) + QStringLiteral(".db");
}

// "Userdat-20261209-051500.db", with "-2", "-3" ... when two are taken within one second.
const QRegularExpression& backupName() {
    static const QRegularExpression name(
        QStringLiteral("^(Userdat|Archive)-(\\d{8}-\\d{6})(?:-(\\d+))?\\.db$"));
    return name;
}

// The columns a table of the kind must have to be used as one.
QString probeOf(BackupKind kind) {
    if (kind == BackupKind::PhoneBook) {
        return QStringLiteral("SELECT %1 FROM Userdat LIMIT 0")
            .arg(PhoneBookTable::fieldNames().join(QStringLiteral(", ")));
    }
    return QStringLiteral("SELECT moment, ログ電話番号, ログ通話方法 FROM Archive LIMIT 0");
}

}  // namespace

TableBackups::TableBackups(QString folder) : folder_(std::move(folder)) {}

QString TableBackups::newPath(BackupKind kind, const QDateTime& now) const {
    if (!QDir().mkpath(folder_)) {
        throw DatabaseError(QStringLiteral("%1 を作れません。").arg(folder_));
    }
    const QString base = stemOf(kind) + u'-' + now.toString(DateFormat);
    QString path = QDir(folder_).filePath(base + QStringLiteral(".db"));
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = QDir(folder_).filePath(base + QStringLiteral("-%1.db").arg(n));
    }
    return path;
}

QString TableBackups::take(const PhoneBookTable& table, const QDateTime& now) const {
    const QString path = newPath(BackupKind::PhoneBook, now);
    table.copyInto(path);
    prune(BackupKind::PhoneBook);
    return path;
}

QString TableBackups::takeBeforeChange(const PhoneBookTable& table, const QDateTime& now) const {
    return table.onServer() ? QString() : take(table, now);
}

QString TableBackups::take(const CallArchive& archive, const QDateTime& now) const {
    const QString path = newPath(BackupKind::Archive, now);
    archive.copyInto(path);
    prune(BackupKind::Archive);
    return path;
}

std::optional<BackupKind> TableBackups::kindOfName(const QString& fileName) {
    const QRegularExpressionMatch match = backupName().match(fileName);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return match.captured(1) == QStringLiteral("Userdat") ? BackupKind::PhoneBook
                                                          : BackupKind::Archive;
}

QList<BackupFile> TableBackups::list(BackupKind kind) const {
    QList<std::pair<BackupFile, int>> found;
    const QStringList names =
        QDir(folder_).entryList({stemOf(kind) + QStringLiteral("-*.db")}, QDir::Files);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = backupName().match(name);
        if (match.hasMatch() && kindOfName(name) == kind) {
            // The n-th taken within one second is "-n"; the first has no suffix.
            const int sequence = match.captured(3).isEmpty() ? 1 : match.captured(3).toInt();
            found.append({{QDir(folder_).filePath(name),
                           QDateTime::fromString(match.captured(2), DateFormat)},
                          sequence});
        }
    }
    // Newest first; within one second, the one taken later first.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.takenAt != b.first.takenAt ? a.first.takenAt > b.first.takenAt
                                                  : a.second > b.second;
    });
    QList<BackupFile> files;
    for (const auto& [file, sequence] : found) {
        files.append(file);
    }
    return files;
}

void TableBackups::prune(BackupKind kind) const {
    const QList<BackupFile> backups = list(kind);
    for (qsizetype i = Kept; i < backups.size(); ++i) {
        QFile::remove(backups[i].path);
    }
}

int TableBackups::recordCount(BackupKind kind, const QString& path) {
    try {
        Connection conn(QStringLiteral("BACKUPCOUNT"));
        conn.openImmutable(path);
        return conn.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + stemOf(kind)).toInt();
    } catch (const std::exception&) {
        return -1;
    }
}

QString TableBackups::problemOf(BackupKind kind, const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return QStringLiteral("%1 がありません。").arg(path);
    }
    try {
        Connection conn(QStringLiteral("BACKUPCHECK"));
        conn.openImmutable(path);
        conn.checkIntact();
        conn.exec(probeOf(kind));
    } catch (const std::exception& e) {
        return QStringLiteral("%1 は%2として使えません（%3）。")
            .arg(QFileInfo(path).fileName(),
                 kind == BackupKind::PhoneBook ? QStringLiteral("電話帳")
                                               : QStringLiteral("通話履歴"),
                 QString::fromUtf8(e.what()));
    }
    return {};
}

void TableBackups::restore(BackupKind kind, const QString& path, const QString& tableFolder,
                           const QDateTime& now) const {
    if (const QString problem = problemOf(kind, path); !problem.isEmpty()) {
        throw DatabaseError(problem);
    }
    const QString tablePath = QDir(tableFolder).filePath(tableFileOf(kind));
    // Held for the whole swap, so that no run opens the table half replaced.
    Connection current(QStringLiteral("RESTORE"));
    if (QFileInfo::exists(tablePath)) {
        current.open(tablePath, false, true);
        current.lock();
        current.copyInto(newPath(kind, now));
    }
    QFile source(path);
    QSaveFile target(tablePath);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) {
        throw DatabaseError(
            QStringLiteral("%1 を戻せません: %2")
                .arg(tablePath, source.isOpen() ? target.errorString() : source.errorString()));
    }
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (block.isEmpty() || target.write(block) != block.size()) {
            target.cancelWriting();
            throw DatabaseError(
                QStringLiteral("%1 を戻せません: %2").arg(tablePath, target.errorString()));
        }
    }
    if (!target.commit()) {
        throw DatabaseError(
            QStringLiteral("%1 を戻せません: %2").arg(tablePath, target.errorString()));
    }
    prune(kind);
}

}  // namespace db
