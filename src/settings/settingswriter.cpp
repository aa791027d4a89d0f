#include "settings/settingswriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include "app/inifile.h"
#include "app/programstate.h"

namespace settings {

namespace {

struct Key {
    const char* section;
    const char* name;
    int32_t ProgramState::*member;
};

// The order in which the keys are written.
constexpr Key Keys[] = {
    {"RS232C", "COM", &ProgramState::ComPort},     {"TEL", "PORT", &ProgramState::DialLine},
    {"LOG", "PORT1", &ProgramState::LogModeTel1},  {"LOG", "PORT2", &ProgramState::LogModeTel2},
    {"USER", "SET1", &ProgramState::PasswordCode}, {"USER", "SET2", &ProgramState::UserSet2},
    {"TIME", "HG", &ProgramState::HgTimeSetting},  {"TA", "NO", &ProgramState::TaModel},
};

[[noreturn]] void fail(const QString& path, const QString& why) {
    throw ESettingsWriteError(
        QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why).toStdString());
}

QByteArray readCurrent(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(path, file.errorString());
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(path, file.errorString());
    }
    return content;
}

}  // namespace

void WriteSettings(const QString& path, const ProgramState& state) {
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
    for (const Key& key : Keys) {
        if (!copy.writeInteger(QString::fromLatin1(key.section), QString::fromLatin1(key.name),
                               state.*key.member)) {
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

}  // namespace settings
