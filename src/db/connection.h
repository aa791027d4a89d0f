#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "db/databaseerror.h"
#include "state/storesettings.h"

namespace db {

// One uniquely named connection of a table object: an SQLite file, or the PostgreSQL server an
// office shares. Every failure becomes an DatabaseError carrying the engine's text.
class Connection {
public:
    explicit Connection(const QString& prefix);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // create: make the file when it is missing; otherwise a missing file is refused rather than
    // left behind empty. exclusive: keep every lock once taken, so no other process gets in, and
    // hold the file with a lock of its own until close() (the engine's record locks go whenever
    // any descriptor of the file in this process is closed, a file dialog's for one); a file
    // another process holds so is refused as locked, code 5, before anything in it is read.
    void open(const QString& path, bool create, bool exclusive);
    // Opens the file read-only without taking any lock, as if nothing could change it.
    void openImmutable(const QString& path);
    // Connects to the server through Qt's PostgreSQL driver. The password is libpq's to find, in
    // ~/.pgpass or PGPASSWORD; an empty user or database is libpq's default too. A server that
    // does not answer is given up after a few seconds. A password given is used instead, for a
    // connection test before the password is kept anywhere.
    // A server connection lost while open (the server restarted, the network went) is made
    // again by the next statement outside a batch, at most once every few seconds, so that a
    // server away costs each look-up a quick refusal rather than a wait. It stays open meanwhile.
    void openServer(const appstate::StoreSettings& server, const QString& password = {});
    void close();
    bool isOpen() const;

    // On a server: onNotice runs, from the event loop, when another connection sends a notice on
    // channel (a lower-case name); this connection's own notices are left out. Until close().
    void listen(const QString& channel, std::function<void()> onNotice);
    // On a server: a notice on channel to every other connection listening, sent when the
    // current transaction commits (at once outside one).
    void notify(const QString& channel) const;

    // Takes the write lock once, which exclusive locking then holds until close().
    void lock();

    // On a server whose connection was lost: connects again, unless tried a moment ago. Throws
    // when the server does not answer, or in a batch, whose writes went with the connection.
    void reconnectIfLost() const;

    // Runs a statement with bound values; the query is positioned before its first row.
    QSqlQuery exec(const QString& sql, const QVariantList& values = {}) const;
    // The first column of the first row, or an invalid value when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& values = {}) const;

    // Reads every page of the file and refuses a damaged one with the engine's findings, so that
    // it is not half-used.
    void checkIntact() const;
    // Writes a consistent copy of the whole file to a new file at path, even while this
    // connection holds the file for itself. An existing file at path is refused.
    void copyInto(const QString& path) const;

    void beginBatch();
    void commitBatch();
    // Drops every write since beginBatch().
    void rollbackBatch();
    // Runs steps in one batch: kept when they return, dropped when they throw. The failure of the
    // steps is the one thrown, not one of the rollback after it.
    void runBatch(const std::function<void()>& steps);
    bool inBatch() const { return inBatch_; }

    const QSqlDatabase& database() const { return db_; }

    // A text to bind: never a null string, which the engine would store as NULL.
    // The engine's error as thrown: SQLite's primary result code, or the server's SQLSTATE.
    static DatabaseError errorOf(const QSqlError& error);
    static QVariant text(const QString& value);
    // The text cut to maxBytes Shift-JIS bytes, ready to bind.
    static QVariant cutText(const QString& value, int maxBytes);

private:
    // The connection goes through driver from now on.
    void useDriver(const QString& driver);
    void holdFile(const QString& path);
    void releaseFile();

    QString name_;
    QSqlDatabase db_;
    bool server_ = false;
    std::vector<std::pair<QString, std::function<void()>>> listeners_;
    mutable std::chrono::steady_clock::time_point lastReconnect_;
    int heldFile_ = -1;  // descriptor carrying the whole-file lock
    bool inBatch_ = false;
};

}  // namespace db
