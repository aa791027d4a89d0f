#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <stdexcept>

// History files (*.TAS): the first 4000 bytes of the held log image, byte for byte, with no header.
namespace rules {

constexpr int HistoryFileBytes = 4000;

// A history file that cannot be opened, read, written or closed; the text names the file.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

// Up to HistoryFileBytes bytes from the start of the file; a shorter file gives fewer.
// Throws FileError.
QByteArray readHistoryFile(const QString& path);
// Creates or replaces the file with these bytes; the old file stays as it was when the writing
// fails, except in a folder where no new file may be created: the file is then written in place.
// Throws FileError.
void writeHistoryFile(const QString& path, std::span<const uint8_t, HistoryFileBytes> image);

}  // namespace rules
