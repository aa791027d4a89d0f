#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// A failure of the table engine, carrying the engine's own text.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& text, int resultCode = -1)
        : std::runtime_error(text.toStdString()), resultCode_(resultCode) {}
    QString text() const { return QString::fromUtf8(what()); }
    // SQLite's primary result code (26: not a database, 5: locked), -1 when not from the engine.
    int resultCode() const { return resultCode_; }

private:
    int resultCode_;
};

}  // namespace db
