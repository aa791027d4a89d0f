#pragma once

#include <functional>

#include "db/archiveoutbox.h"
#include "db/callarchive.h"
#include "rules/logimport.h"
#include "ui/intervaltimer.h"

// Adds the calls that waited on this PC for the office's server to its archive as soon as the
// server answers again: tried at the start and then every half minute while the archive is on a
// server. A try that fails leaves the calls waiting and is not told; the download was.
class WaitingCallSender {
public:
    WaitingCallSender(rules::LogImport& import, db::ArchiveOutbox& outbox, db::CallArchive& archive,
                      ui::TimerBackend& timers);

    void start();
    // Tries at once; also what the timer does.
    void trySend();

    // Runs with how many of the sent calls were new in the archive.
    std::function<void(int added)> onSent;

    static constexpr int Interval = 30000;

private:
    rules::LogImport& import_;
    db::ArchiveOutbox& outbox_;
    db::CallArchive& archive_;
    ui::IntervalTimer timer_;
};
