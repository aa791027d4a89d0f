#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <memory>

#include "adapter/devicelink.h"
#include "app/application.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "support/testapp.h"
#include "windows/dialpad.h"
#include "windows/mainmenuwindow.h"

// One run of the program with the simulated adapter on COM1, on the test's clock, driven
// through the dial pad.
struct DialRun {
    DialRun() : adapter(hgsim::HgConfig{}, [this] { return t.wallClock.now(); }) {
        auto factory = std::make_unique<hgsim::SimSerialDeviceFactory>(adapter, t.clock);
        line = factory->line;
        t.ports = std::move(factory);
        // Replies arrive whole unless a test splits them.
        adapter.config().charsPerSecond = 0;
    }

    // Starts the program and waits for the menu after the splash.
    void startAtMenu() {
        t.start();
        t.clock.advance(2000);
    }

    // The dial command from the main menu, and the prologue until the pad shows.
    void openFromMenu() {
        app().windows.mainMenu->dialClicked();
        t.clock.advance(app().state.adapterIdentified ? 1 : 1 + 700 + 700);
    }

    // The replies to the next dial commands; "%L" is the line.
    void replyToDial(std::vector<hgsim::Burst> bursts) {
        adapter.config().dialReply = std::move(bursts);
    }

    // Types a number and presses the start button.
    void dial(const QString& number) {
        pad().numberField->setText(number);
        pad().startClicked();
    }

    // Commands received from position `from` on.
    QList<QByteArray> commandsFrom(qsizetype from) const { return adapter.commands().mid(from); }
    qsizetype commandCount() const { return adapter.commands().size(); }
    QByteArray lastCommand() const { return adapter.commands().value(commandCount() - 1); }

    Application& app() { return *t.app; }
    appstate::ProgramState& state() { return t.app->state; }
    DialPad& pad() { return *t.app->windows.dialPad; }
    const adapter::DialExchange& exchange() { return t.app->link.dial(); }
    QString status() { return pad().statusPanel->text(); }
    QString startCaption() { return pad().startButton->text(); }

    hgsim::HgAdapter adapter;
    TestApp t;
    std::shared_ptr<hgsim::SimLine> line;
};
