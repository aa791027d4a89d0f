#pragma once

#include <QList>
#include <QStringList>

#include "adapter/devicelink.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "state/programstate.h"
#include "support/scripteddialogs.h"
#include "ui/manualclock.h"

// The device link alone, with the simulated adapter on COM1 and the settings a fresh program
// reads; no window exists. Times are counted from mark().
struct LinkRun {
    LinkRun() {
        state.settings = appstate::Settings::defaults();
        link.usePort(state.settings.comPort);
        clock.onError = [this](const std::string& message) {
            errors << QString::fromStdString(message);
        };
    }

    void mark() { start = clock.now(); }
    void at(int64_t ms) { clock.advanceTo(start + ms); }
    // Puts bytes on the line atMs after the mark, as if the adapter had sent them.
    void reply(int64_t atMs, const QByteArray& bytes) {
        line()->send(start + atMs - clock.now(), bytes);
    }

    // Appends "<name> at <ms since the mark>" to events whenever sender emits signal.
    template <typename Sender, typename... Args>
    void record(const Sender& sender, void (Sender::*signal)(Args...), const QString& name) {
        QObject::connect(&sender, signal, [this, name](const Args&...) {
            events << QStringLiteral("%1 at %2").arg(name).arg(clock.now() - start);
        });
    }

    const QList<QByteArray>& commands() const { return adapter.commands(); }
    QList<QByteArray> commandsFrom(qsizetype from) const { return commands().mid(from); }
    QByteArray lastCommand() const { return commands().value(commands().size() - 1); }
    const std::shared_ptr<hgsim::SimLine>& line() const { return ports.line; }
    bool portOpen() const { return ports.line->open; }

    ui::ManualClock clock;
    FixedWallClock wallClock;
    hgsim::HgAdapter adapter{hgsim::HgConfig{}, [this] { return wallClock.now(); }};
    hgsim::SimSerialDeviceFactory ports{adapter, clock};
    appstate::ProgramState state;
    adapter::DeviceLink link{state, clock, wallClock, ports};
    QStringList events;
    // Errors thrown out of the link's timers.
    QStringList errors;
    int64_t start = 0;
};
