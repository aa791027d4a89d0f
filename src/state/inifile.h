#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace appstate {

// The settings file: sections in brackets, key=value lines. Reading follows the platform's INI
// rules (names without regard to case, the first matching section and key win, a value that is not
// a whole number gives the default, hexadecimal with 0x or $ accepted). Writing changes one line
// and keeps every other line as it was.
class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // A file that readSettingsFile refuses gives the default, as a missing one does.
    int32_t readInteger(const QString& section, const QString& key, int32_t defaultValue) const;

    // Sets one key to a decimal integer, creating the file or section when missing. The file is
    // replaced by rename, so a crash during the write leaves the old file whole. False on failure,
    // and for a file that readSettingsFile refuses, which is left as it is.
    bool writeInteger(const QString& section, const QString& key, int32_t value) const;

    // A value as text (UTF-8), or the default when the key is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    // As writeInteger, with the value written as it is; false for a value holding a line break.
    bool writeString(const QString& section, const QString& key, const QString& value) const;

private:
    std::optional<QByteArray> readValue(const QString& section, const QString& key) const;
    bool writeValue(const QString& section, const QString& key, const QByteArray& value) const;

    QString path_;
};

// The largest settings file that is read; a larger one counts as unusable.
constexpr qsizetype MaxSettingsFileBytes = 1024 * 1024;

// The bytes of a settings file: empty when it does not exist, nothing when it exists but is not
// a regular file of at most MaxSettingsFileBytes or cannot be read. Never blocks on a FIFO.
std::optional<QByteArray> readSettingsFile(const QString& path);

// The settings file name: the executable's path with its extension replaced by ".Ini".
QString settingsPathFor(const QString& executablePath);

// A settings value read as the platform's integer conversion reads it.
std::optional<int32_t> parseIniInteger(const QByteArray& text);

}  // namespace appstate
