#pragma once

#include <atomic>

#include "hgsim/hgadapter.h"
#include "hgsim/ptyport.h"

namespace hgsim {

// Plays the adapter on the master side of a pseudo-terminal until stop is set.
class PtyServer {
public:
    PtyServer(HgAdapter& adapter, PtyPort& port) : adapter_(adapter), port_(port) {}

    // Called with each command as it arrives.
    std::function<void(const QByteArray& command)> onCommand;

    void run(const std::atomic<bool>& stop);

private:
    HgAdapter& adapter_;
    PtyPort& port_;
};

}  // namespace hgsim
