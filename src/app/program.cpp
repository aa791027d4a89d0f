#include "app/program.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <cstdio>
#include <memory>

#include "app/application.h"
#include "app/commandjobrunner.h"
#include "app/commandline.h"
#include "app/instancechannel.h"
#include "app/runninginstance.h"
#include "link/posixserialdevice.h"
#include "state/datafolders.h"
#include "state/inifile.h"
#include "state/saveddevice.h"
#include "ui/helpwindow.h"
#include "ui/qtdialogs.h"
#include "ui/qttimerbackend.h"
#include "ui/wallclock.h"

namespace {

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// The folders of the settings and the tables, and the serial ports as the settings name them.
struct Machine {
    Machine()
        : executable(QCoreApplication::applicationFilePath()),
          folders(appstate::dataFoldersFor(executable, QDir::currentPath(),
                                           appstate::processFolderEnvironment())),
          ports(QFileInfo(executable).absolutePath(),
                [settings = appstate::IniFile(folders.settingsFile)](int port) {
                    return appstate::savedDeviceFor(settings, port);
                }) {}

    QString executable;
    appstate::DataFolders folders;
    comm::PosixSerialDeviceFactory ports;
};

// A job of the command line: no display is needed, so it runs over ssh and from cron.
// A running Tilka with windows holds the tables, so it does the job and this process reports.
int runJob(int argc, char* argv[], const QStringList& arguments, const CommandJob& job) {
    // Pages need the platform's fonts; without a display they are drawn off screen, so that a
    // printout works over ssh and from cron as well.
    if (job.prints() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::unique_ptr<QCoreApplication> qapp =
        job.prints() ? std::make_unique<QGuiApplication>(argc, argv)
                     : std::make_unique<QCoreApplication>(argc, argv);
    setApplicationNames();
    ui::QtTimerBackend timers;
    ui::SystemWallClock wallClock;
    Machine machine;
    if (const std::optional<InstanceReply> reply =
            InstanceChannel::ask(InstanceChannel::nameFor(machine.folders.tableFolder),
                                 {InstanceRequest::Kind::Job, arguments, QDir::currentPath()})) {
        print(reply->exitCode == 0 ? stdout : stderr, reply->text + u'\n');
        return reply->exitCode;
    }
    if (const QString missing = appstate::makeDataFolders(machine.folders); !missing.isEmpty()) {
        print(stderr, QStringLiteral("%1 を作れません。\n").arg(missing));
        return 1;
    }
    CommandJobRunner runner({timers, wallClock, machine.ports, machine.folders.settingsFile,
                             machine.folders.tableFolder});
    std::optional<int> exitCode;
    runner.run(job, [&exitCode](const JobResult& result) {
        if (result.exitCode == 0) {
            print(stdout, result.output + u'\n');
        } else {
            print(stderr, result.error + u'\n');
        }
        exitCode = result.exitCode;
        QCoreApplication::exit(result.exitCode);
    });
    if (!exitCode) {
        QCoreApplication::exec();
    }
    return exitCode.value_or(1);
}

int runWindows(int argc, char* argv[], bool background) {
    QApplication qapp(argc, argv);
    setApplicationNames();
    // Windows are hidden, not closed, when another takes over; only the main window ends the run.
    QApplication::setQuitOnLastWindowClosed(false);

    ui::QtTimerBackend timers;
    ui::QtDialogs dialogs;
    ui::HelpWindow help;
    ui::SystemWallClock wallClock;
    Machine machine;
    // One Tilka at a time: a second start brings the running one to the front and ends.
    const QString channelName = InstanceChannel::nameFor(machine.folders.tableFolder);
    // A background start leaves a running Tilka as it is.
    if (background ? InstanceChannel::answers(channelName)
                   : InstanceChannel::ask(channelName, {InstanceRequest::Kind::Show, {}, {}})
                         .has_value()) {
        return 0;
    }
    if (const QString missing = appstate::makeDataFolders(machine.folders); !missing.isEmpty()) {
        dialogs.showError(QStringLiteral("%1 を作れません。").arg(missing));
    }
    Application app(ui::UiServices{timers, dialogs, help, wallClock}, machine.ports,
                    machine.executable, machine.folders.tableFolder, machine.folders.settingsFile);
    app.onQuit() = [] { QCoreApplication::quit(); };
    app.notifier.useBus(QDBusConnection::sessionBus());
    app.wakeWatcher.listenOn(QDBusConnection::systemBus());
    if (!app.start(!background)) {
        return 1;
    }
    RunningInstance instance(app);
    instance.listen(channelName);
    return QApplication::exec();
}

}  // namespace

void setApplicationNames() {
    QCoreApplication::setApplicationName(QStringLiteral("tilka"));
}

int runProgram(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const bool japanese = QLocale::system().language() == QLocale::Japanese;
    const CommandLine line = parseCommandLine(arguments, japanese);
    if (!line.usageError.isEmpty()) {
        print(stderr, line.usageError + u'\n' +
                          (japanese ? QStringLiteral("使い方は tilka --help で表示されます。\n")
                                    : QStringLiteral("Try tilka --help.\n")));
        return 2;
    }
    if (!line.text.isEmpty()) {
        print(stdout, line.text);
        return 0;
    }
    if (line.job) {
        return runJob(argc, argv, arguments, *line.job);
    }
    return runWindows(argc, argv, line.background);
}
