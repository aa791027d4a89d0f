#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <thread>

#include "db/callarchive.h"

// Reads every page of the open archive on a thread of its own once the run has started, so that
// a damaged archive is found without holding up the menu. What looks damaged is checked again on
// the run's own connection; a damaged archive is closed and the finding told, a sound one
// reported as such.
class ArchiveCheck : public QObject {
    Q_OBJECT
public:
    ArchiveCheck(db::CallArchive& archive, std::function<void(const QString&)> onDamage,
                 std::function<void()> onSound);
    ~ArchiveCheck() override;  // waits for the reading thread

    void start();
    bool running() const { return thread_.joinable() && !finished_; }

private:
    void confirm(const QString& findings);

    db::CallArchive& archive_;
    std::function<void(const QString&)> onDamage_;
    std::function<void()> onSound_;
    std::thread thread_;
    bool finished_ = false;
};
