#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "rules/logimport.h"
#include "state/backgroundsettings.h"
#include "ui/desktopnotifier.h"
#include "ui/intervaltimer.h"

class Application;
class CommandJobRunner;
struct JobResult;

// The watch kept while Tilka is resident: quiet downloads on a schedule, shortly after the start
// and after the machine wakes, the notices of new calls, and the guard of the adapter's log
// memory. It opens no window: what it finds goes to the icon's tooltip and to notifications, and
// a notification's action asks the windows through signals.
class BackgroundFetch : public QObject {
    Q_OBJECT
public:
    BackgroundFetch(Application& app, ui::DesktopNotifier& notifier);
    ~BackgroundFetch() override;

    // Takes new settings; the first call of a run also plans the download after the start.
    void apply(const appstate::BackgroundSettings& settings);
    // A quiet download at once, asked for by the user: its outcome is always told.
    void fetchNow();
    // The machine woke from standby.
    void machineWoke();
    // What a download took in, whoever started it: tells the new calls and a filling log memory.
    // A successful download also ends a pause for a password.
    void downloaded(const rules::LogImportResult& result);

    // A quiet download holds the adapter.
    bool running() const { return runner_ != nullptr; }
    // The schedule waits for a download by hand, after the adapter asked for a password.
    bool paused() const { return paused_; }
    // How the last quiet download went, with its time; empty before the first.
    const QString& statusText() const { return status_; }

    // A download waits this long after the start, so that the desktop and the user come first.
    static constexpr int AfterStartMs = 60 * 1000;
    static constexpr int AfterWakeMs = 10 * 1000;

signals:
    void statusChanged();
    // The user picked a new-calls notification: the archive should show the calls from from to
    // to, moments both included.
    void openNewCallsRequested(qint64 from, qint64 to);
    // The user picked the log-memory notification's "LOG 削除".
    void clearLogConfirmationRequested();

private:
    bool watching() const;
    // Another exchange, its window or the start of the run holds the adapter.
    bool adapterBusy() const;
    void scheduledTick();
    // A quiet download now unless the adapter is busy; false when it did not start.
    bool start(bool askedByUser);
    void finished(const JobResult& job);
    void tellNewCalls(const rules::LogImportResult& result);
    void guardMemory(const rules::LogImportResult& result);
    // Empties the adapter's log after a quiet download whose every call is in the archive; false
    // when it did not.
    bool clearArchivedLog(const rules::LogImportResult& result);
    void setStatus(const QString& text);

    Application& app_;
    ui::DesktopNotifier& notifier_;
    appstate::BackgroundSettings settings_;
    bool applied_ = false;
    ui::IntervalTimer schedule_;
    // The single download after the start or a wake.
    ui::IntervalTimer soon_;
    std::unique_ptr<CommandJobRunner> runner_;
    // The runner is let go after its report, once its own call has returned.
    QObject releaser_;
    bool askedByUser_ = false;
    std::optional<rules::LogImportResult> imported_;
    bool paused_ = false;
    bool failureTold_ = false;
    // The log memory's fill last warned about.
    std::optional<int> warnedFill_;
    QString status_;
};
