#include "db/connection.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "db/databaseerror.h"
#include "ui/sjis.h"

namespace db {
namespace {

// A second instance must hear "database is locked" at once, not after the driver's 5 s default.
constexpr auto Options = "QSQLITE_BUSY_TIMEOUT=100;QSQLITE_OPEN_URI";

// A server away must not hold the user for libpq's default of no limit.
constexpr int ServerConnectSeconds = 5;

// How long a lost server is left alone after a failed try to reach it again.
constexpr auto ReconnectPause = std::chrono::seconds(5);

std::atomic<int> connectionCount{0};

[[noreturn]] void fail(const QSqlError& error) {
    throw Connection::errorOf(error);
}

}  // namespace

Connection::Connection(const QString& prefix)
    : name_(QStringLiteral("%1-%2").arg(prefix).arg(++connectionCount)) {}

Connection::~Connection() {
    close();
    db_ = QSqlDatabase();
    if (QSqlDatabase::contains(name_)) {
        QSqlDatabase::removeDatabase(name_);
    }
}

void Connection::open(const QString& path, bool create, bool exclusive) {
    close();
    useDriver(QStringLiteral("QSQLITE"));
    // The URI form lets SQLite itself refuse a missing file ("rw") instead of creating one.
    QUrl uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    uri.setQuery(create ? QStringLiteral("mode=rwc") : QStringLiteral("mode=rw"));
    db_.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db_.setConnectOptions(QString::fromLatin1(Options));
    if (!db_.open()) {
        fail(db_.lastError());
    }
    try {
        if (exclusive) {
            holdFile(path);
        }
        exec(exclusive ? QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")
                       : QStringLiteral("PRAGMA locking_mode=NORMAL"));
    } catch (...) {
        close();
        throw;
    }
}

void Connection::useDriver(const QString& driver) {
    if (db_.isValid() && db_.driverName() == driver) {
        return;
    }
    db_ = QSqlDatabase();
    if (QSqlDatabase::contains(name_)) {
        QSqlDatabase::removeDatabase(name_);
    }
    db_ = QSqlDatabase::addDatabase(driver, name_);
}

void Connection::openServer(const appstate::StoreSettings& server, const QString& password) {
    close();
    useDriver(QStringLiteral("QPSQL"));
    db_.setHostName(server.host);
    db_.setPort(server.port);
    db_.setDatabaseName(server.database);
    db_.setUserName(server.user);
    db_.setPassword(password);
    db_.setConnectOptions(
        QStringLiteral("connect_timeout=%1;application_name=tilka").arg(ServerConnectSeconds));
    if (!db_.open()) {
        fail(db_.lastError());
    }
    server_ = true;
}

void Connection::reconnectIfLost() const {
    if (!server_ || db_.isOpen()) {
        return;
    }
    // The driver closes a connection the server dropped, and its transaction went with it.
    if (inBatch_) {
        throw DatabaseError(QStringLiteral("サーバーとの接続が切れました。"), -1,
                            QString::fromLatin1(DatabaseError::ConnectionLost));
    }
    const auto now = std::chrono::steady_clock::now();
    if (lastReconnect_.time_since_epoch().count() != 0 && now - lastReconnect_ < ReconnectPause) {
        throw DatabaseError(QStringLiteral("サーバーに接続できません。"), -1,
                            QString::fromLatin1(DatabaseError::ConnectionLost));
    }
    lastReconnect_ = now;
    QSqlDatabase db = db_;
    if (!db.open()) {
        fail(db.lastError());
    }
    lastReconnect_ = {};
    // Notices sent while the connection was down are lost: each listener reads anew once.
    for (const auto& [channel, onNotice] : listeners_) {
        db.driver()->subscribeToNotification(channel);
        QMetaObject::invokeMethod(db.driver(), onNotice, Qt::QueuedConnection);
    }
}

void Connection::openImmutable(const QString& path) {
    close();
    useDriver(QStringLiteral("QSQLITE"));
    QUrl uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=ro&immutable=1"));
    db_.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db_.setConnectOptions(QString::fromLatin1(Options));
    if (!db_.open()) {
        fail(db_.lastError());
    }
}

void Connection::close() {
    if (db_.isOpen()) {
        // Rows written in an unfinished batch are kept, as they would be without batching.
        if (inBatch_) {
            db_.commit();
        }
        db_.close();
    }
    // Only after the engine let go of the file: closing this descriptor drops the process's
    // record locks on it.
    releaseFile();
    inBatch_ = false;
    server_ = false;
    // The driver outlives a close when the connection opens again: no listener twice.
    if (!listeners_.empty()) {
        QObject::disconnect(db_.driver(), &QSqlDriver::notification, nullptr, nullptr);
        listeners_.clear();
    }
    lastReconnect_ = {};
}

void Connection::holdFile(const QString& path) {
    heldFile_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (heldFile_ < 0) {
        return;
    }
    // flock belongs to this open file description alone, so no other descriptor can drop it.
    if (::flock(heldFile_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        throw DatabaseError(
            QStringLiteral("%1: database is locked").arg(QFileInfo(path).fileName()),
            DatabaseError::Busy);
    }
}

void Connection::releaseFile() {
    if (heldFile_ >= 0) {
        ::close(heldFile_);
        heldFile_ = -1;
    }
}

bool Connection::isOpen() const {
    return db_.isOpen() || server_;
}

void Connection::lock() {
    exec(QStringLiteral("BEGIN EXCLUSIVE"));
    exec(QStringLiteral("COMMIT"));
}

QSqlQuery Connection::exec(const QString& sql, const QVariantList& values) const {
    reconnectIfLost();
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    // The server prepares no schema statement; one without values needs no preparing anywhere.
    if (values.isEmpty()) {
        if (!query.exec(sql)) {
            fail(query.lastError());
        }
        return query;
    }
    if (!query.prepare(sql)) {
        fail(query.lastError());
    }
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        fail(query.lastError());
    }
    return query;
}

QVariant Connection::scalar(const QString& sql, const QVariantList& values) const {
    QSqlQuery query = exec(sql, values);
    return query.next() ? query.value(0) : QVariant();
}

void Connection::listen(const QString& channel, std::function<void()> onNotice) {
    QSqlDriver* driver = db_.driver();
    if (!driver->subscribeToNotification(channel)) {
        fail(driver->lastError());
    }
    listeners_.emplace_back(channel, onNotice);
    // The driver goes with the connection, and the subscription with it.
    QObject::connect(
        driver, &QSqlDriver::notification, driver,
        [channel, onNotice = std::move(onNotice)](
            const QString& name, QSqlDriver::NotificationSource source, const QVariant&) {
            if (name == channel && source == QSqlDriver::OtherSource) {
                onNotice();
            }
        });
}

void Connection::notify(const QString& channel) const {
    exec(QStringLiteral("NOTIFY %1").arg(channel));
}

DatabaseError Connection::errorOf(const QSqlError& error) {
    const QString native = error.nativeErrorCode();
    // A server's SQLSTATE has five characters; SQLite's extended codes have at most four digits.
    if (native.size() == 5) {
        return DatabaseError(error.text(), -1, native);
    }
    bool ok = false;
    const int code = native.toInt(&ok);
    return DatabaseError(error.text(), ok ? (code & 0xff) : -1);
}

QVariant Connection::text(const QString& value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QVariant Connection::cutText(const QString& value, int maxBytes) {
    // No character takes more than two bytes, so a short text needs no conversion.
    if (value.size() * 2 <= maxBytes) {
        return text(value);
    }
    return text(ui::sjis::cut(value, maxBytes));
}

void Connection::checkIntact() const {
    QSqlQuery check = exec(QStringLiteral("PRAGMA quick_check(5)"));
    QStringList problems;
    while (check.next()) {
        problems << check.value(0).toString();
    }
    if (problems != QStringList{QStringLiteral("ok")}) {
        throw DatabaseError(problems.join(u'\n'));
    }
}

void Connection::copyInto(const QString& path) const {
    exec(QStringLiteral("VACUUM INTO ?"), {path});
}

void Connection::beginBatch() {
    if (inBatch_) {
        return;
    }
    reconnectIfLost();
    if (!db_.transaction()) {
        fail(db_.lastError());
    }
    inBatch_ = true;
}

void Connection::commitBatch() {
    if (!inBatch_) {
        return;
    }
    inBatch_ = false;
    if (!db_.commit()) {
        fail(db_.lastError());
    }
}

void Connection::runBatch(const std::function<void()>& steps) {
    beginBatch();
    try {
        steps();
        commitBatch();
    } catch (...) {
        try {
            rollbackBatch();
        } catch (const DatabaseError&) {
        }
        throw;
    }
}

void Connection::rollbackBatch() {
    if (!inBatch_) {
        return;
    }
    inBatch_ = false;
    if (!db_.isOpen()) {
        return;  // nothing was kept of a batch whose connection was lost
    }
    if (!db_.rollback()) {
        fail(db_.lastError());
    }
}

}  // namespace db
