#pragma once

#include <QList>
#include <memory>

#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "support/testapp.h"

// One run of the program with the simulated adapter on COM1, on the test's clock.
struct SimRun {
    SimRun() : adapter(hgsim::HgConfig{}, [this] { return t.wallClock.now(); }) {
        auto factory = std::make_unique<hgsim::SimSerialDeviceFactory>(adapter, t.clock);
        line = factory->line;
        t.ports = std::move(factory);
    }

    // Starts the program and waits for the menu after the splash.
    void startAtMenu() {
        t.start();
        t.clock.advance(2000);
    }

    const QList<QByteArray>& commands() const { return adapter.commands(); }
    bool portOpen() const { return line->open; }

    hgsim::HgAdapter adapter;
    TestApp t;
    std::shared_ptr<hgsim::SimLine> line;
};
