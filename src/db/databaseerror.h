#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// A failure of the table engine, carrying the engine's own text.
class DatabaseError : public std::runtime_error {
public:
    // The engine's code for a file another connection holds.
    static constexpr int Busy = 5;

    explicit DatabaseError(const QString& text, int resultCode = -1)
        : std::runtime_error(text.toStdString()), resultCode_(resultCode) {}
    QString text() const { return QString::fromUtf8(what()); }
    // SQLite's primary result code (26: not a database, 5: locked), -1 when not from the engine.
    int resultCode() const { return resultCode_; }
    bool fileInUse() const { return resultCode_ == Busy; }

private:
    int resultCode_;
};

}  // namespace db
