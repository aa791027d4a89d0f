#include "app/runninginstance.h"

#include <QDir>

#include "app/application.h"
#include "app/commandjobrunner.h"
#include "app/commandline.h"
#include "app/navigator.h"

namespace {

// Paths the second start gave are read from the folder it ran in.
CommandJob withAbsolutePaths(CommandJob job, const QString& workingFolder) {
    const QDir folder(workingFolder.isEmpty() ? QDir::currentPath() : workingFolder);
    if (!job.file.isEmpty()) {
        job.file = folder.absoluteFilePath(job.file);
    }
    if (!job.folder.isEmpty()) {
        job.folder = folder.absoluteFilePath(job.folder);
    }
    return job;
}

}  // namespace

RunningInstance::RunningInstance(Application& app) : app_(app) {}

RunningInstance::~RunningInstance() {
    app_.downloadOwner = Application::DownloadOwner::Windows;
}

bool RunningInstance::listen(const QString& name) {
    return channel_.listen(
        name, [this](const InstanceRequest& request, const InstanceChannel::Answer& reply) {
            answer(request, reply);
        });
}

void RunningInstance::answer(const InstanceRequest& request, const InstanceChannel::Answer& reply) {
    if (request.kind == InstanceRequest::Kind::Show) {
        app_.nav().bringWindowInUseToFront();
        reply({0, {}});
        return;
    }
    const CommandLine line = parseCommandLine(request.arguments, true);
    if (!line.job) {
        reply({2, line.usageError.isEmpty() ? QStringLiteral("ジョブが指定されていません。")
                                            : line.usageError});
        return;
    }
    const CommandJob job = withAbsolutePaths(*line.job, request.workingFolder);
    if (job.downloads() &&
        (download_ || app_.nav().exchangeWindowOpen() || app_.backgroundFetch().running())) {
        reply({1, adapterBusyMessage()});
        return;
    }
    runJob(job, reply);
}

void RunningInstance::runJob(const CommandJob& job, const InstanceChannel::Answer& reply) {
    const bool download = job.downloads();
    auto runner = std::make_unique<CommandJobRunner>(
        JobEnvironment{app_.services.timers, app_.services.wallClock, app_.serialDevices,
                       app_.settingsPath(), app_.tableFolder()},
        RunningTables{app_.state, app_.link, app_.callLogTable, app_.phoneBookTable,
                      app_.callArchive, app_.logImport,
                      [this](const rules::LogImportResult& result) {
                          app_.nav().showHandedOverDownload(result);
                      }});
    if (download) {
        app_.downloadOwner = Application::DownloadOwner::SecondStart;
    }
    runner->run(job, [this, reply, download](const JobResult& result) {
        reply({result.exitCode, result.exitCode == 0 ? result.output : result.error});
        if (download) {
            app_.downloadOwner = Application::DownloadOwner::Windows;
            QMetaObject::invokeMethod(
                &releaser_, [this] { download_.reset(); }, Qt::QueuedConnection);
        }
    });
    if (download) {
        download_ = std::move(runner);
    }
}
