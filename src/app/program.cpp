#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "app/application.h"
#include "link/posixserialdevice.h"
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
    comm::PosixSerialDeviceFactory ports(QFileInfo(executable).absolutePath());

    Application app(ui::UiServices{timers, dialogs, help, wallClock}, ports, executable,
                    QDir::currentPath());
    app.onQuit = [] { QCoreApplication::quit(); };
    app.createWindows();
    return QApplication::exec();
}
