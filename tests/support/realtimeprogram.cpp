#include "realtimeprogram.h"

#include <QDir>
#include <QFile>

#include "state/inifile.h"

RealTimeProgram::RealTimeProgram(const QByteArray& settings)
    : adapter(folder.path()),
      ports(folder.path()),
      app(ui::UiServices{timers, dialogs, help, wallClock}, ports,
          QDir(folder.path()).filePath(QStringLiteral("tilka")), folder.path()) {
    app.onQuit() = [this] { ++quits; };
    if (!settings.isEmpty()) {
        QFile file(path(QStringLiteral("tilka.Ini")));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(settings);
        }
    }
}

QString RealTimeProgram::path(const QString& name) const {
    return QDir(folder.path()).filePath(name);
}

int RealTimeProgram::setting(const char* section, const char* key) const {
    return appstate::IniFile(path(QStringLiteral("tilka.Ini")))
        .readInteger(QString::fromLatin1(section), QString::fromLatin1(key), -999);
}
