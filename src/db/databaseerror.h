#pragma once

#include <QString>
#include <stdexcept>
#include <utility>

namespace db {

// A failure of the table engine, carrying the engine's own text.
class DatabaseError : public std::runtime_error {
public:
    // The engine's code for a file another connection holds.
    static constexpr int Busy = 5;

    // The server's code for a value a unique index already holds.
    static constexpr const char* UniqueViolation = "23505";
    // The server's code for a connection that failed or was lost.
    static constexpr const char* ConnectionLost = "08006";

    explicit DatabaseError(const QString& text, int resultCode = -1, QString serverState = {})
        : std::runtime_error(text.toStdString()),
          resultCode_(resultCode),
          serverState_(std::move(serverState)) {}
    QString text() const { return QString::fromUtf8(what()); }
    // SQLite's primary result code (26: not a database, 5: locked), -1 when not from the file.
    int resultCode() const { return resultCode_; }
    bool fileInUse() const { return resultCode_ == Busy; }
    // The PostgreSQL server's five-character SQLSTATE, empty when not from a server.
    const QString& serverState() const { return serverState_; }

private:
    int resultCode_;
    QString serverState_;
};

}  // namespace db
