#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "state/storesettings.h"

// A database of its own for one test on the PostgreSQL server the PG* variables name (the
// throw-away cluster of scripts/test-all.sh), dropped at the end.
class TestServerDatabase {
public:
    TestServerDatabase();
    ~TestServerDatabase();
    TestServerDatabase(const TestServerDatabase&) = delete;
    TestServerDatabase& operator=(const TestServerDatabase&) = delete;

    // Whether the variables name a server; without one the server's tests are skipped.
    static bool serverGiven();
    // Empty when the database was made; otherwise why not.
    const QString& problem() const { return problem_; }
    // The store settings that reach the database.
    appstate::StoreSettings settings() const;
    // The settings file's [Store] section that puts a run's phone book and archive there.
    QByteArray settingsFileSection() const;
    // Vacuums and analyses the database after a bulk load, as the server's own autovacuum keeps
    // tables in use for a while, so that timings are those of an office's server.
    void settle() const;

private:
    appstate::StoreSettings base_;
    QString name_;
    QString problem_;
};

// A PostgreSQL cluster of its own, for a test that stops the server while a run uses it and
// starts it again; the shared one of the other tests stays up. Stopped at the end.
class TestServerCluster {
public:
    TestServerCluster();
    ~TestServerCluster();
    TestServerCluster(const TestServerCluster&) = delete;
    TestServerCluster& operator=(const TestServerCluster&) = delete;

    // Empty when the cluster runs; otherwise why not.
    const QString& problem() const { return problem_; }
    appstate::StoreSettings settings() const;
    // The server stops, as at a restart or a crash, and starts again on the same port.
    void halt();
    void resume();

private:
    QString run(const QString& action);

    QTemporaryDir dir_;
    int port_ = 0;
    QString problem_;
};
