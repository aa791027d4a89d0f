#include "state/inifile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <cerrno>

namespace appstate {

namespace {

bool usableFile(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_size <= MaxSettingsFileBytes;
}

// Closes the descriptor however the reading ends.
struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

QByteArray sectionName(const QByteArray& trimmedLine) {
    const qsizetype close = trimmedLine.indexOf(']');
    const QByteArray inner = close < 0 ? trimmedLine.mid(1) : trimmedLine.mid(1, close - 1);
    return inner.trimmed();
}

bool sameName(const QByteArray& a, const QString& b) {
    return QString::fromUtf8(a).compare(b, Qt::CaseInsensitive) == 0;
}

struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    QByteArray name;
    QByteArray value;
};

ParsedLine parseLine(const QByteArray& raw) {
    const QByteArray line = raw.trimmed();
    if (line.startsWith('[')) {
        return {ParsedLine::Section, sectionName(line), {}};
    }
    if (line.isEmpty() || line.startsWith(';')) {
        return {};
    }
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0) {
        return {};
    }
    QByteArray value = line.mid(eq + 1).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return {ParsedLine::Key, line.left(eq).trimmed(), value};
}

QList<QByteArray> splitLines(const QByteArray& content) {
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray& l : lines) {
        if (l.endsWith('\r')) {
            l.chop(1);
        }
    }
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

}  // namespace

std::optional<QByteArray> readSettingsFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (errno == ENOENT) {
            return QByteArray();
        }
        return std::nullopt;
    }
    // A FIFO, a device or a folder is never opened: reading one could block or never end.
    if (!usableFile(st)) {
        return std::nullopt;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return QByteArray();
        }
        return std::nullopt;
    }
    const FdCloser closer{fd};
    // The name may have been replaced between the two looks.
    if (::fstat(fd, &st) != 0 || !usableFile(st)) {
        return std::nullopt;
    }
    // One byte more than allowed tells a file that grew past the limit.
    QByteArray content(MaxSettingsFileBytes + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < content.size()) {
        const ssize_t n =
            ::read(fd, content.data() + got, static_cast<size_t>(content.size() - got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (got > MaxSettingsFileBytes) {
        return std::nullopt;
    }
    content.truncate(got);
    return content;
}

QString settingsPathFor(const QString& executablePath) {
    const QFileInfo info(executablePath);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(base + QStringLiteral(".Ini"));
}

std::optional<int32_t> parseIniInteger(const QByteArray& text) {
    QByteArray s = text.trimmed();
    bool negative = false;
    if (!s.isEmpty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith('$')) {
        base = 16;
        s = s.mid(1);
    } else if (s.startsWith("0x") || s.startsWith("0X")) {
        base = 16;
        s = s.mid(2);
    }
    if (s.isEmpty()) {
        return std::nullopt;
    }
    uint64_t magnitude = 0;
    for (char c : s) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    if (base == 10 && magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) {
        return std::nullopt;
    }
    // A hexadecimal value fills the 32 bits as written, so $FFFFFFFF is -1.
    const auto bits = static_cast<uint32_t>(magnitude);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
}

std::optional<QByteArray> IniFile::readValue(const QString& section, const QString& key) const {
    bool inSection = false;
    for (const QByteArray& raw : splitLines(readSettingsFile(path_).value_or(QByteArray()))) {
        const ParsedLine line = parseLine(raw);
        if (line.kind == ParsedLine::Section) {
            if (inSection) {
                break;
            }
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == ParsedLine::Key && sameName(line.name, key)) {
            return line.value;
        }
    }
    return std::nullopt;
}

int32_t IniFile::readInteger(const QString& section, const QString& key,
                             int32_t defaultValue) const {
    const std::optional<QByteArray> value = readValue(section, key);
    return value ? parseIniInteger(*value).value_or(defaultValue) : defaultValue;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const std::optional<QByteArray> value = readValue(section, key);
    return value ? QString::fromUtf8(*value) : defaultValue;
}

bool IniFile::writeInteger(const QString& section, const QString& key, int32_t value) const {
    return writeValue(section, key, QByteArray::number(value));
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) const {
    // A line holds one value: a line break would end it and start a line of its own.
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        return false;
    }
    return writeValue(section, key, value.toUtf8());
}

bool IniFile::writeValue(const QString& section, const QString& key,
                         const QByteArray& newValue) const {
    const std::optional<QByteArray> current = readSettingsFile(path_);
    if (!current) {
        return false;
    }
    const QByteArray& content = *current;
    const QByteArray eol = content.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    QList<QByteArray> lines = splitLines(content);

    qsizetype sectionAt = -1;
    qsizetype insertAt = -1;
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const ParsedLine line = parseLine(lines[i]);
        if (line.kind == ParsedLine::Section) {
            if (sectionAt >= 0) {
                break;
            }
            if (sameName(line.name, section)) {
                sectionAt = i;
                insertAt = i + 1;
            }
        } else if (sectionAt >= 0) {
            if (line.kind == ParsedLine::Key && sameName(line.name, key)) {
                lines[i] = line.name + '=' + newValue;
                written = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!written) {
        const QByteArray entry = key.toUtf8() + '=' + newValue;
        if (sectionAt >= 0) {
            lines.insert(insertAt, entry);
        } else {
            lines.append('[' + section.toUtf8() + ']');
            lines.append(entry);
        }
    }

    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    for (const QByteArray& l : lines) {
        file.write(l);
        file.write(eol);
    }
    return file.commit();
}

}  // namespace appstate
