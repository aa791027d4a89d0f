#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

#include "app/application.h"
#include "link/serialdevice.h"
#include "scripteddialogs.h"
#include "ui/manualclock.h"

// One run of the program for a test: its own folder (executable, settings file, tables and COMn
// links live there), the hand-advanced clock, scripted dialogs and recorded help requests.
// Without a device factory of its own, every COMn port is missing.
class TestApp {
public:
    explicit TestApp(const QString& folder = QString(),
                     std::unique_ptr<comm::SerialDeviceFactory> ports = nullptr);
    ~TestApp();

    QString folder() const { return folder_; }
    QString filePath(const QString& name) const;
    void writeSettings(const QByteArray& content) const;
    QByteArray readSettings() const;

    // Builds the application and starts it as the program entry does; false when the run ends at
    // once.
    bool start(bool showWindows = true);

    ui::ManualClock clock;
    ScriptedDialogs dialogs;
    RecordingHelp help;
    FixedWallClock wallClock;
    std::unique_ptr<comm::SerialDeviceFactory> ports;
    std::unique_ptr<Application> app;
    int quitCount = 0;
    // Whether the run finds a notification area for its icon.
    bool trayAvailable = false;

private:
    QTemporaryDir ownFolder_;
    QString folder_;
};
