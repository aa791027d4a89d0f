#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <thread>

#include "hgsim/hgadapter.h"
#include "hgsim/ptyport.h"
#include "hgsim/ptyserver.h"

// The simulated adapter on a real pseudo-terminal linked as <folder>/COM1, served on a thread
// of its own. The adapter is touched only by that thread while it runs.
class PtyAdapter {
public:
    explicit PtyAdapter(const QString& folder);
    ~PtyAdapter() { stop(); }

    bool isValid() const { return port_.isValid(); }

    // Changes the adapter between two exchanges: replies still due are dropped.
    void configure(const std::function<void(hgsim::HgConfig&)>& change) {
        stop();
        change(adapter_.config());
        start();
    }

    QList<QByteArray> commands() const {
        QMutexLocker lock(&mutex_);
        return commands_;
    }
    qsizetype count() const { return commands().size(); }
    QList<QByteArray> commandsFrom(qsizetype from) const { return commands().mid(from); }

private:
    void start() {
        stop_ = false;
        thread_ = std::thread([this] { server_.run(stop_); });
    }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    hgsim::HgAdapter adapter_;
    hgsim::PtyPort port_;
    hgsim::PtyServer server_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable QMutex mutex_;
    QList<QByteArray> commands_;
};
