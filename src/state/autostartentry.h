#pragma once

#include <QByteArray>
#include <QString>

#include "state/datafolders.h"

namespace appstate {

// What the desktop starts at login: the program in the background, in the folder of its tables.
struct AutostartProgram {
    QString executable;     // absolute path
    QString workingFolder;  // the folder the run keeps its tables in when not installed
    QString icon;           // an icon file's path or an icon theme name
};

// $XDG_CONFIG_HOME/autostart/tilka.desktop, ~/.config/autostart/tilka.desktop by default.
QString autostartEntryPath(const FolderEnvironment& environment);

// The desktop entry that starts program with --background when the user logs in.
QByteArray autostartEntryText(const AutostartProgram& program);

// Writes the entry at path when enabled, removes it otherwise. What went wrong, in Japanese and
// naming the file; empty when done.
QString updateAutostartEntry(const QString& path, bool enabled, const AutostartProgram& program);

}  // namespace appstate
