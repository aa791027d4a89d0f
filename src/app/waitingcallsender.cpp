#include "app/waitingcallsender.h"

#include "db/databaseerror.h"

WaitingCallSender::WaitingCallSender(rules::LogImport& import, db::ArchiveOutbox& outbox,
                                     db::CallArchive& archive, ui::TimerBackend& timers)
    : import_(import), outbox_(outbox), archive_(archive), timer_(timers) {
    timer_.onElapsed = [this] { trySend(); };
}

void WaitingCallSender::start() {
    if (!archive_.onServer()) {
        timer_.setInterval(0);
        return;
    }
    timer_.setInterval(Interval);
    trySend();
}

void WaitingCallSender::trySend() {
    if (!archive_.onServer() || !archive_.isOpen()) {
        return;
    }
    try {
        if (outbox_.count() == 0) {
            return;
        }
        const int added = import_.sendWaitingCalls();
        if (onSent) {
            onSent(added);
        }
    } catch (const db::DatabaseError&) {
        // Still away: the calls wait for the next try.
    }
}
