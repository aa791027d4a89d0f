#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What a second start asks of the running program.
struct InstanceRequest {
    enum class Kind { Show, Job };
    Kind kind = Kind::Show;
    QStringList arguments;  // the job's command line, the program first
    QString workingFolder;  // where the second start ran, for its relative paths
};

// The running program's answer to a request: the exit code and the text the second start prints.
struct InstanceReply {
    int exitCode = 0;
    QString text;
};

// The per-user local socket through which a second start reaches the running program: one line
// of JSON asks, and the answer is the exit code on one line followed by the text. The socket is
// the only trace a run leaves, and a crashed run's socket is replaced once no one answers on it.
class InstanceChannel {
public:
    using Answer = std::function<void(const InstanceReply&)>;
    // Answers a request, at once or later, through the given function.
    using Handler = std::function<void(const InstanceRequest&, Answer)>;

    // The socket of the program whose tables lie in tableFolder: in XDG_RUNTIME_DIR when the
    // session has one, else a name that holds the user's id.
    static QString nameFor(const QString& tableFolder);

    // Asks the program listening on name; nothing when no one listens there. Blocks until the
    // answer comes or the running program goes away.
    static std::optional<InstanceReply> ask(const QString& name, const InstanceRequest& request);

    // Whether a program listens on name.
    static bool answers(const QString& name);

    // Listens on name, replacing a socket no one answers on; false when another program listens
    // there or the socket cannot be made.
    bool listen(const QString& name, Handler handler);

private:
    void takeConnection();

    QLocalServer server_;
    Handler handler_;
};
