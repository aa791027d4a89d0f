#include "state/datafolders.h"

#include <QDir>
#include <QFileInfo>

namespace appstate {

namespace {

const QString ProgramFolder = QStringLiteral("tilka");

// The XDG rule: a base folder must be an absolute path, else the default applies.
QString baseFolder(const QString& value, const QString& home, const QString& fallback) {
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) {
        return QDir::cleanPath(value);
    }
    return QDir::cleanPath(home + QLatin1Char('/') + fallback);
}

QString besideExecutable(const QFileInfo& executable) {
    const QString base =
        executable.suffix().isEmpty() ? executable.fileName() : executable.completeBaseName();
    return executable.dir().filePath(base + QStringLiteral(".Ini"));
}

}  // namespace

DataFolders dataFoldersFor(const QString& executablePath, const QString& currentFolder,
                           const FolderEnvironment& environment,
                           const std::function<bool(const QString&)>& fileExists) {
    const QFileInfo executable(executablePath);
    const QString folder = QDir::cleanPath(executable.absolutePath());
    // A package's files unpacked under another root (dpkg-deb -x) run as installed ones do.
    const bool systemFolder = folder.endsWith(QStringLiteral("/usr/bin")) ||
                              folder.endsWith(QStringLiteral("/usr/local/bin"));
    const bool homeKnown = !environment.home.isEmpty() && QDir::isAbsolutePath(environment.home);
    const QString beside = besideExecutable(executable);
    const bool iniBeside = fileExists ? fileExists(beside) : QFileInfo::exists(beside);
    if (!systemFolder || iniBeside || !homeKnown) {
        return {beside, currentFolder, false};
    }
    const QString config = configHomeOf(environment);
    const QString data =
        baseFolder(environment.dataHome, environment.home, QStringLiteral(".local/share"));
    return {QDir(config).filePath(ProgramFolder + QStringLiteral("/tilka.Ini")),
            QDir(data).filePath(ProgramFolder), true};
}

QString configHomeOf(const FolderEnvironment& environment) {
    return baseFolder(environment.configHome, environment.home, QStringLiteral(".config"));
}

FolderEnvironment processFolderEnvironment() {
    return {qEnvironmentVariable("XDG_CONFIG_HOME"), qEnvironmentVariable("XDG_DATA_HOME"),
            qEnvironmentVariable("HOME")};
}

QString makeDataFolders(const DataFolders& folders) {
    if (!folders.perUser) {
        return {};
    }
    for (const QString& folder :
         {QFileInfo(folders.settingsFile).absolutePath(), folders.tableFolder}) {
        if (!QDir().mkpath(folder)) {
            return folder;
        }
    }
    return {};
}

}  // namespace appstate
