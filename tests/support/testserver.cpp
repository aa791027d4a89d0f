#include "testserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <atomic>

#include "db/connection.h"
#include "db/databaseerror.h"

namespace {

std::atomic<int> databaseCount{0};

// The server's own database, through which test databases are made and dropped.
appstate::StoreSettings serverOfEnvironment() {
    appstate::StoreSettings s;
    s.kind = appstate::StoreKind::Server;
    s.host = qEnvironmentVariable("PGHOST");
    s.port =
        qEnvironmentVariableIntValue("PGPORT") > 0 ? qEnvironmentVariableIntValue("PGPORT") : 5432;
    s.user = qEnvironmentVariable("PGUSER");
    s.database = qEnvironmentVariable("PGDATABASE");
    return s;
}

void runOnServer(const appstate::StoreSettings& server, const QString& sql) {
    db::Connection admin(QStringLiteral("test-admin"));
    admin.openServer(server);
    admin.exec(sql);
}

}  // namespace

bool TestServerDatabase::serverGiven() {
    return qEnvironmentVariableIsSet("PGHOST");
}

TestServerDatabase::TestServerDatabase()
    : base_(serverOfEnvironment()),
      name_(QStringLiteral("tilka_%1_%2")
                .arg(QCoreApplication::applicationPid())
                .arg(++databaseCount)) {
    try {
        runOnServer(base_, QStringLiteral("CREATE DATABASE %1").arg(name_));
    } catch (const db::DatabaseError& e) {
        problem_ = e.text();
    }
}

TestServerDatabase::~TestServerDatabase() {
    if (!problem_.isEmpty()) {
        return;
    }
    try {
        runOnServer(base_, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name_));
    } catch (const db::DatabaseError&) {
        // The cluster goes at the end of the run in any case.
    }
}

QByteArray TestServerDatabase::settingsFileSection() const {
    const appstate::StoreSettings s = settings();
    return QStringLiteral("[Store]\nKind=1\nHost=%1\nPort=%2\nDatabase=%3\nUser=%4\n")
        .arg(s.host)
        .arg(s.port)
        .arg(s.database, s.user)
        .toUtf8();
}

void TestServerDatabase::settle() const {
    runOnServer(settings(), QStringLiteral("VACUUM ANALYZE"));
}

appstate::StoreSettings TestServerDatabase::settings() const {
    appstate::StoreSettings s = base_;
    s.database = name_;
    return s;
}

TestServerCluster::TestServerCluster() {
    problem_ = run(QStringLiteral("start"));
    QFile port(dir_.filePath(QStringLiteral("port")));
    if (problem_.isEmpty() && port.open(QIODevice::ReadOnly)) {
        port_ = port.readAll().trimmed().toInt();
    }
}

TestServerCluster::~TestServerCluster() {
    run(QStringLiteral("stop"));
}

QString TestServerCluster::run(const QString& action) {
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(TILKA_SCRIPTS "/pg-cluster.sh"), action, dir_.path()});
    if (!script.waitForFinished(60000) || script.exitCode() != 0) {
        return QString::fromLocal8Bit(script.readAllStandardError());
    }
    return {};
}

appstate::StoreSettings TestServerCluster::settings() const {
    appstate::StoreSettings s;
    s.kind = appstate::StoreKind::Server;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port_;
    s.user = QStringLiteral("tilka");
    s.database = QStringLiteral("tilka_test");
    return s;
}

void TestServerCluster::halt() {
    problem_ = run(QStringLiteral("halt"));
}

void TestServerCluster::resume() {
    problem_ = run(QStringLiteral("resume"));
}
