#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "app/application.h"
#include "link/posixserialdevice.h"
#include "state/datafolders.h"
#include "state/inifile.h"
#include "state/saveddevice.h"
#include "ui/helpwindow.h"
#include "ui/qtdialogs.h"
#include "ui/qttimerbackend.h"
#include "ui/wallclock.h"

void setApplicationNames() {
    QApplication::setApplicationName(QStringLiteral("tilka"));
}

int runProgram(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    setApplicationNames();
    // Windows are hidden, not closed, when another takes over; only the main window ends the run.
    QApplication::setQuitOnLastWindowClosed(false);

    ui::QtTimerBackend timers;
    ui::QtDialogs dialogs;
    ui::HelpWindow help;
    ui::SystemWallClock wallClock;
    const QString executable = QCoreApplication::applicationFilePath();
    const appstate::DataFolders folders = appstate::dataFoldersFor(
        executable, QDir::currentPath(), appstate::processFolderEnvironment());
    if (const QString missing = appstate::makeDataFolders(folders); !missing.isEmpty()) {
        dialogs.showError(QStringLiteral("%1 を作れません。").arg(missing));
    }
    comm::PosixSerialDeviceFactory ports(
        QFileInfo(executable).absolutePath(),
        [settings = appstate::IniFile(folders.settingsFile)](int port) {
            return appstate::savedDeviceFor(settings, port);
        });

    Application app(ui::UiServices{timers, dialogs, help, wallClock}, ports, executable,
                    folders.tableFolder, folders.settingsFile);
    app.onQuit() = [] { QCoreApplication::quit(); };
    if (!app.start()) {
        return 1;
    }
    return QApplication::exec();
}
