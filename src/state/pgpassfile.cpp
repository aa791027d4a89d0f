#include "state/pgpassfile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include "state/atomicfile.h"

namespace appstate {

QString pgpassPath() {
    const QString fromEnvironment = qEnvironmentVariable("PGPASSFILE");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QDir::home().filePath(QStringLiteral(".pgpass"));
}

QString pgpassField(const QString& value) {
    QString field;
    field.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\' || c == u':') {
            field += u'\\';
        }
        field += c;
    }
    return field;
}

namespace {

// The first four fields of a line, still escaped, or an empty text for a comment or a line that
// has fewer than five fields.
QString keyOf(const QString& line) {
    if (line.startsWith(u'#')) {
        return {};
    }
    int colons = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\') {
            ++i;
        } else if (line[i] == u':' && ++colons == 4) {
            return line.left(i);
        }
    }
    return {};
}

}  // namespace

QString writePgpassEntry(const QString& path, const QString& host, int port,
                         const QString& database, const QString& user, const QString& password) {
    if (password.contains(u'\n') || password.contains(u'\r')) {
        return QStringLiteral("パスワードに改行は使えません。");
    }
    const QString key = QStringList{pgpassField(host), QString::number(port), pgpassField(database),
                                    pgpassField(user)}
                            .join(u':');
    QStringList lines;
    QFile current(path);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) {
            return QStringLiteral("%1 を読めません: %2")
                .arg(QDir::toNativeSeparators(path), current.errorString());
        }
        lines = QString::fromUtf8(current.readAll()).split(u'\n');
        if (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
    }
    const QString entry = key + u':' + pgpassField(password);
    bool replaced = false;
    for (QString& line : lines) {
        if (keyOf(line) == key) {
            line = entry;
            replaced = true;
        }
    }
    if (!replaced) {
        lines.append(entry);
    }
    const QByteArray bytes = (lines.join(u'\n') + u'\n').toUtf8();

    // The library ignores a password file that others can read.
    AtomicFile file(path);
    file.setOwnerOnly(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return file.failure();
    }
    return {};
}

}  // namespace appstate
