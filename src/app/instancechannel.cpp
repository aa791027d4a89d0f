#include "app/instancechannel.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

namespace {

constexpr int ConnectMs = 2000;
// A download may take minutes; the running program answers when the adapter is done.
constexpr int AnswerMs = 30 * 60 * 1000;
constexpr qint64 LongestRequest = 64 * 1024;

QByteArray encode(const InstanceRequest& request) {
    QJsonObject object;
    object[QStringLiteral("ask")] = request.kind == InstanceRequest::Kind::Show
                                        ? QStringLiteral("show")
                                        : QStringLiteral("job");
    object[QStringLiteral("arguments")] = QJsonArray::fromStringList(request.arguments);
    object[QStringLiteral("folder")] = request.workingFolder;
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<InstanceRequest> decode(const QByteArray& line) {
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    const QString ask = object.value(QStringLiteral("ask")).toString();
    if (ask != QStringLiteral("show") && ask != QStringLiteral("job")) {
        return std::nullopt;
    }
    InstanceRequest request;
    request.kind =
        ask == QStringLiteral("show") ? InstanceRequest::Kind::Show : InstanceRequest::Kind::Job;
    for (const QJsonValue& argument : object.value(QStringLiteral("arguments")).toArray()) {
        request.arguments << argument.toString();
    }
    request.workingFolder = object.value(QStringLiteral("folder")).toString();
    return request;
}

InstanceReply lostAnswer() {
    return {1, QStringLiteral("起動中の Tilka から返事がありません。")};
}

}  // namespace

QString InstanceChannel::nameFor(const QString& tableFolder) {
    const QByteArray folderHash =
        QCryptographicHash::hash(QFileInfo(tableFolder).absoluteFilePath().toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && !qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        return QDir(runtime).filePath(QStringLiteral("tilka-%1").arg(QLatin1String(folderHash)));
    }
    return QStringLiteral("tilka-%1-%2").arg(getuid()).arg(QLatin1String(folderHash));
}

std::optional<InstanceReply> InstanceChannel::ask(const QString& name,
                                                  const InstanceRequest& request) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(ConnectMs)) {
        return std::nullopt;
    }
    socket.write(encode(request));
    if (!socket.waitForBytesWritten(ConnectMs)) {
        return lostAnswer();
    }
    // The running program closes the connection once it has answered.
    QByteArray answer;
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(AnswerMs)) {
        answer += socket.readAll();
    }
    answer += socket.readAll();
    const qsizetype lineEnd = answer.indexOf('\n');
    bool numeric = false;
    const int exitCode = answer.left(lineEnd).toInt(&numeric);
    if (lineEnd < 0 || !numeric) {
        return lostAnswer();
    }
    return InstanceReply{exitCode, QString::fromUtf8(answer.mid(lineEnd + 1))};
}

bool InstanceChannel::answers(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(ConnectMs);
}

bool InstanceChannel::listen(const QString& name, Handler handler) {
    handler_ = std::move(handler);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server_, &QLocalServer::newConnection, [this] { takeConnection(); });
    // Removed only once a connection proves that no program listens on it any more; listening
    // with access options would otherwise replace a live program's socket.
    if (answers(name)) {
        return false;
    }
    QLocalServer::removeServer(name);
    return server_.listen(name);
}

void InstanceChannel::takeConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > LongestRequest) {
                    socket->abort();
                }
                return;
            }
            const std::optional<InstanceRequest> request = decode(socket->readLine());
            QObject::disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
            if (!request) {
                socket->abort();
                return;
            }
            // The second start may have gone away before the answer is ready.
            handler_(
                *request, [guard = QPointer<QLocalSocket>(socket)](const InstanceReply& reply) {
                    if (!guard) {
                        return;
                    }
                    guard->write(QByteArray::number(reply.exitCode) + '\n' + reply.text.toUtf8());
                    guard->disconnectFromServer();
                });
        });
    }
}
