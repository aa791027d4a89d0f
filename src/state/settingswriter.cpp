#include "state/settingswriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include "state/inifile.h"
#include "state/settingskeys.h"

namespace appstate {

namespace {

[[noreturn]] void fail(const QString& path, const QString& why) {
    throw SettingsWriteError(
        QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why).toStdString());
}

QByteArray readCurrent(const QString& path) {
    std::optional<QByteArray> content = readSettingsFile(path);
    if (!content) {
        fail(path, QStringLiteral("not a readable regular file of at most %1 bytes")
                       .arg(MaxSettingsFileBytes));
    }
    return *std::move(content);
}

}  // namespace

void writeSettings(const QString& path, const Settings& settings) {
    const QByteArray current = readCurrent(path);

    QTemporaryDir staging;
    if (!staging.isValid()) {
        fail(path, staging.errorString());
    }
    const QString copyPath = staging.filePath(QStringLiteral("settings.Ini"));
    {
        QFile copy(copyPath);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(current) != current.size() ||
            !copy.flush()) {
            fail(copyPath, copy.errorString());
        }
    }
    const IniFile copy(copyPath);
    for (const SettingsKey& key : SettingsKeys) {
        if (!copy.writeInteger(QString::fromLatin1(key.section), QString::fromLatin1(key.name),
                               settings.*key.member)) {
            fail(copyPath, QStringLiteral("cannot write %1/%2").arg(key.section, key.name));
        }
    }
    const QByteArray updated = readCurrent(copyPath);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size() ||
        !file.commit()) {
        fail(path, file.errorString());
    }
}

}  // namespace appstate
