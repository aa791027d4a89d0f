#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "app/application.h"
#include "link/posixserialdevice.h"
#include "ptyadapter.h"
#include "scripteddialogs.h"
#include "ui/qttimerbackend.h"
#include "ui/wallclock.h"

// The program as main() builds it, in real time, in a temporary folder that holds the
// executable's settings file, the tables and the COM1 link to the simulated adapter; only the
// dialogs and the help are the test's. Settings given are the settings file's from the start.
struct RealTimeProgram {
    explicit RealTimeProgram(const QByteArray& settings = {});

    QString path(const QString& name) const;
    int setting(const char* section, const char* key) const;
    // The port is released between the user's tasks.
    bool portClosed() { return !app.link.portOpen(); }

    QTemporaryDir folder;
    PtyAdapter adapter;
    comm::PosixSerialDeviceFactory ports;
    ui::QtTimerBackend timers;
    ScriptedDialogs dialogs;
    RecordingHelp help;
    ui::SystemWallClock wallClock;
    Application app;
    int quits = 0;
};
