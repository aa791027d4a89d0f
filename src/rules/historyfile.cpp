#include "rules/historyfile.h"

#include <QFile>

#include "state/atomicfile.h"

namespace rules {

namespace {

FileError ioError(const QString& path, const QString& reason) {
    return FileError(QStringLiteral("%1: %2").arg(path, reason));
}

}  // namespace

QByteArray readHistoryFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ioError(path, file.errorString());
    }
    QByteArray bytes(HistoryFileBytes, '\0');
    qint64 got = 0;
    while (got < HistoryFileBytes) {
        const qint64 n = file.read(bytes.data() + got, HistoryFileBytes - got);
        if (n < 0) {
            throw ioError(path, file.errorString());
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

void writeHistoryFile(const QString& path, std::span<const uint8_t, HistoryFileBytes> image) {
    appstate::AtomicFile file(path);
    // A folder that takes no new file still lets the user overwrite a file in it.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(image.data()), HistoryFileBytes) !=
            HistoryFileBytes ||
        !file.commit()) {
        throw FileError(file.failure());
    }
}

}  // namespace rules
