#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace db {

class PhoneBookTable;
class CallArchive;

// The two tables worth a backup.
enum class BackupKind { PhoneBook, Archive };

struct BackupFile {
    QString path;
    QDateTime takenAt;
};

// Dated copies of the phone book and the archive in one folder, named "Userdat-YYYYMMDD-hhmmss.db"
// and "Archive-YYYYMMDD-hhmmss.db", the newest Kept of each kind kept.
class TableBackups {
public:
    static constexpr int Kept = 10;

    explicit TableBackups(QString folder);
    const QString& folder() const { return folder_; }

    // Copies the open table, consistently even while it is in use, into a new dated file and
    // drops the oldest beyond Kept. The new file's path. Throws DatabaseError.
    QString take(const PhoneBookTable& table, const QDateTime& now) const;
    QString take(const CallArchive& archive, const QDateTime& now) const;
    // The copy taken before a change that cannot be undone (an import, a log clear): none for a
    // phone book on the office's server, which is backed up there, with pg_dump. The new file's
    // path, empty when none was taken. Throws DatabaseError.
    QString takeBeforeChange(const PhoneBookTable& table, const QDateTime& now) const;
    // The backups of a kind, newest first.
    QList<BackupFile> list(BackupKind kind) const;

    // Puts the backup at path back as the table file in tableFolder, after checking it is an
    // intact table of the kind; the file it replaces becomes a dated backup first. The table
    // must not be open anywhere: a table another run holds is refused. Throws DatabaseError.
    void restore(BackupKind kind, const QString& path, const QString& tableFolder,
                 const QDateTime& now) const;

    // How many records the backup at path holds; -1 when it cannot be read.
    static int recordCount(BackupKind kind, const QString& path);
    // Why the file at path is not an intact table of the kind; empty when it is.
    static QString problemOf(BackupKind kind, const QString& path);
    // The kind a backup's file name says, by its stem; none for another file.
    static std::optional<BackupKind> kindOfName(const QString& fileName);

private:
    QString newPath(BackupKind kind, const QDateTime& now) const;
    void prune(BackupKind kind) const;

    QString folder_;
};

}  // namespace db
