#include "state/autostartentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "state/atomicfile.h"

namespace appstate {

namespace {

// Characters that make an argument of a launch command need quotes.
const QString ReservedInCommand = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

QString quotedArgument(const QString& argument) {
    QString quoted = argument;
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!argument.isEmpty() && std::none_of(argument.begin(), argument.end(), [](QChar c) {
            return ReservedInCommand.contains(c);
        })) {
        return quoted;
    }
    QString inQuotes;
    for (const QChar c : quoted) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            inQuotes += u'\\';
        }
        inQuotes += c;
    }
    return u'"' + inQuotes + u'"';
}

// A value of the entry's file: backslashes and line breaks escaped, after the command's quoting.
QString entryValue(const QString& text) {
    QString value;
    for (const QChar c : text) {
        if (c == u'\\') {
            value += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            value += QStringLiteral("\\n");
        } else if (c == u'\t') {
            value += QStringLiteral("\\t");
        } else if (c == u'\r') {
            value += QStringLiteral("\\r");
        } else {
            value += c;
        }
    }
    return value;
}

}  // namespace

QString autostartEntryPath(const FolderEnvironment& environment) {
    return QDir(configHomeOf(environment)).filePath(QStringLiteral("autostart/tilka.desktop"));
}

QByteArray autostartEntryText(const AutostartProgram& program) {
    QString text = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Tilka\n"
        "Comment=Keeps downloading the call records in the background\n"
        "Comment[ja]=通話記録を常駐して受信します\n");
    text += QStringLiteral("Exec=%1 --background\n")
                .arg(entryValue(quotedArgument(program.executable)));
    if (!program.workingFolder.isEmpty()) {
        text += QStringLiteral("Path=%1\n").arg(entryValue(program.workingFolder));
    }
    if (!program.icon.isEmpty()) {
        text += QStringLiteral("Icon=%1\n").arg(entryValue(program.icon));
    }
    text += QStringLiteral("Terminal=false\nX-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

QString updateAutostartEntry(const QString& path, bool enabled, const AutostartProgram& program) {
    if (!enabled) {
        QFile entry(path);
        if (entry.exists() && !entry.remove()) {
            return QStringLiteral("ログイン時の起動を取りやめられません: %1\n%2")
                .arg(QDir::toNativeSeparators(path), entry.errorString());
        }
        return {};
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("ログイン時の起動を設定できません: %1 を作れません。")
            .arg(QDir::toNativeSeparators(folder));
    }
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(autostartEntryText(program)) < 0 ||
        !file.commit()) {
        return QStringLiteral("ログイン時の起動を設定できません。\n%1").arg(file.failure());
    }
    return {};
}

}  // namespace appstate
