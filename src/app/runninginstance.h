#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/instancechannel.h"

class Application;
class CommandJobRunner;
struct CommandJob;

// The running program's side of a second start: it brings the window in use to the front, or
// does the job handed over with this run's own tables and link and answers with its result.
class RunningInstance {
public:
    explicit RunningInstance(Application& app);
    ~RunningInstance();
    RunningInstance(const RunningInstance&) = delete;
    RunningInstance& operator=(const RunningInstance&) = delete;

    // Listens on name; false when another run listens there.
    bool listen(const QString& name);

private:
    void answer(const InstanceRequest& request, const InstanceChannel::Answer& reply);
    void runJob(const CommandJob& job, const InstanceChannel::Answer& reply);

    Application& app_;
    InstanceChannel channel_;
    // The handed-over download while it waits for the adapter.
    std::unique_ptr<CommandJobRunner> download_;
    // Releases a finished download once its own report has returned.
    QObject releaser_;
};
