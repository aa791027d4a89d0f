#include "testapp.h"

#include <QDir>
#include <QFile>

#include "link/posixserialdevice.h"

TestApp::TestApp(const QString& folder, std::unique_ptr<comm::SerialDeviceFactory> devices)
    : ports(std::move(devices)), folder_(folder.isEmpty() ? ownFolder_.path() : folder) {
    if (!ports) {
        // Links to nowhere, so that no test ever reaches a real serial port.
        for (int n = 1; n <= 9; ++n) {
            QFile::link(QStringLiteral("/nonexistent/tilka-test-port"),
                        filePath(QStringLiteral("COM%1").arg(n)));
        }
        ports = std::make_unique<comm::PosixSerialDeviceFactory>(folder_);
    }
}

TestApp::~TestApp() {
    app.reset();
}

QString TestApp::filePath(const QString& name) const {
    return QDir(folder_).filePath(name);
}

void TestApp::writeSettings(const QByteArray& content) const {
    QFile f(filePath(QStringLiteral("tilka.Ini")));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(content);
    }
}

QByteArray TestApp::readSettings() const {
    QFile f(filePath(QStringLiteral("tilka.Ini")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestApp::start(bool showWindows) {
    app = std::make_unique<Application>(ui::UiServices{clock, dialogs, help, wallClock}, *ports,
                                        filePath(QStringLiteral("tilka")), folder_);
    app->onQuit() = [this] { ++quitCount; };
    app->trayAvailable = [this] { return trayAvailable; };
    // Never the user's own login entries.
    app->autostartPath = filePath(QStringLiteral("autostart/tilka.desktop"));
    return app->start(showWindows);
}
