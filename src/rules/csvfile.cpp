#include "rules/csvfile.h"

#include <exception>

#include "state/atomicfile.h"

namespace rules::csv {

QString writeFile(const QString& path, Encoding encoding, const QStringList& header,
                  const RowSource& rows) {
    appstate::AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.failure();
    }
    bool written = false;
    QString failure;
    try {
        Writer writer(file, encoding);
        writer.writeRow(header);
        rows([&writer](const QStringList& cells) { writer.writeRow(cells); });
        written = writer.finish();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    if (!written || !file.commit()) {
        file.cancel();
        if (failure.isEmpty()) {
            failure = file.failure();
        }
        // A failure is never reported as an empty text, which means success.
        return failure.isEmpty() ? QStringLiteral("%1 に書き込めません。").arg(path) : failure;
    }
    return {};
}

}  // namespace rules::csv
