#pragma once

#include <QString>
#include <functional>

namespace appstate {

// The values of the environment that decide where an installed program keeps its files; passed
// in rather than read so that the rule can be checked without touching the real environment.
struct FolderEnvironment {
    QString configHome;  // XDG_CONFIG_HOME
    QString dataHome;    // XDG_DATA_HOME
    QString home;        // HOME
};

// Where one run keeps its settings file and its tables.
struct DataFolders {
    QString settingsFile;
    QString tableFolder;
    // True for the per-user folders of an installed program, which may have to be created.
    bool perUser = false;
};

// An executable in a usr/bin or usr/local/bin folder (/usr/bin, or the same under another root)
// with no settings file beside it is an installed program: its settings go to
// $XDG_CONFIG_HOME/tilka/tilka.Ini and its tables to $XDG_DATA_HOME/tilka, the defaults being
// ~/.config and ~/.local/share; empty or relative values do not count. Anywhere else, and when no
// home folder is known, the folder runs as it is: the settings file beside the executable (its name
// with the extension replaced by ".Ini") and the tables in the current folder. Only folder names
// are compared, never write permission. fileExists answers whether a settings file lies beside the
// executable (the file system's answer when not given).
DataFolders dataFoldersFor(const QString& executablePath, const QString& currentFolder,
                           const FolderEnvironment& environment,
                           const std::function<bool(const QString&)>& fileExists = {});

// The folder of the user's configuration: $XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config.
QString configHomeOf(const FolderEnvironment& environment);

// The environment of this process.
FolderEnvironment processFolderEnvironment();

// Creates the per-user folders of an installed program; answers the folder that cannot be made,
// empty when all are there.
QString makeDataFolders(const DataFolders& folders);

}  // namespace appstate
