#include "app/backgroundfetch.h"

#include <algorithm>
#include <utility>

#include "app/application.h"
#include "app/commandjobrunner.h"
#include "app/commandline.h"
#include "app/navigator.h"
#include "rules/logtexts.h"

namespace {

constexpr int MinuteMs = 60 * 1000;
// The notice of new calls names this many of them.
constexpr size_t CallsNamed = 3;

const QString OpenNewCallsKey = QStringLiteral("open-new-calls");
const QString ClearLogKey = QStringLiteral("clear-log");

}  // namespace

BackgroundFetch::BackgroundFetch(Application& app, ui::DesktopNotifier& notifier)
    : app_(app), notifier_(notifier), schedule_(app.services.timers), soon_(app.services.timers) {
    schedule_.onElapsed = [this] { scheduledTick(); };
    soon_.onElapsed = [this] {
        soon_.setInterval(0);
        scheduledTick();
    };
}

BackgroundFetch::~BackgroundFetch() = default;

void BackgroundFetch::apply(const appstate::BackgroundSettings& settings) {
    settings_ = settings;
    const bool scheduled = watching() && settings.fetchMinutes > 0;
    schedule_.setInterval(scheduled ? settings.fetchMinutes * MinuteMs : 0);
    if (!scheduled) {
        soon_.setInterval(0);
    } else if (!applied_) {
        soon_.setInterval(AfterStartMs);
    }
    applied_ = true;
}

bool BackgroundFetch::watching() const {
    return settings_.resident;
}

bool BackgroundFetch::adapterBusy() const {
    const adapter::DeviceLink& link = app_.link;
    return app_.splash() != nullptr || app_.nav().exchangeWindowOpen() || link.portOpen() ||
           link.download().inProgress() || link.portCloseTimer().running() ||
           link.tel2LogModeTimer().running();
}

void BackgroundFetch::machineWoke() {
    if (watching() && settings_.fetchMinutes > 0) {
        soon_.setInterval(AfterWakeMs);
    }
}

void BackgroundFetch::scheduledTick() {
    // A busy adapter or a pause is no failure: the next turn comes as planned.
    if (paused_ || running() || adapterBusy()) {
        return;
    }
    start(false);
}

void BackgroundFetch::fetchNow() {
    if (running()) {
        return;
    }
    if (adapterBusy()) {
        notifier_.notify(QStringLiteral("今は受信できません"), adapterBusyMessage());
        return;
    }
    start(true);
}

bool BackgroundFetch::start(bool askedByUser) {
    askedByUser_ = askedByUser;
    imported_.reset();
    app_.downloadOwner = Application::DownloadOwner::Background;
    runner_ = std::make_unique<CommandJobRunner>(
        JobEnvironment{app_.services.timers, app_.services.wallClock, app_.serialDevices,
                       app_.settingsPath(), app_.tableFolder()},
        RunningTables{app_.state, app_.link, app_.callLogTable, app_.phoneBookTable,
                      app_.callArchive, app_.logImport,
                      [this](const rules::LogImportResult& result) {
                          imported_ = result;
                          app_.nav().showHandedOverDownload(result);
                      }});
    CommandJob job;
    job.kind = CommandJob::Kind::Download;
    runner_->run(job, [this](const JobResult& result) { finished(result); });
    return true;
}

void BackgroundFetch::finished(const JobResult& job) {
    app_.downloadOwner = Application::DownloadOwner::Windows;
    QMetaObject::invokeMethod(
        &releaser_, [this] { runner_.reset(); }, Qt::QueuedConnection);
    const bool askedByUser = std::exchange(askedByUser_, false);
    const QString at = app_.services.wallClock.now().toString(QStringLiteral("M/d HH:mm"));
    if (job.passwordAsked) {
        paused_ = true;
        setStatus(
            QStringLiteral("%1 パスワードが必要です。通話記録表から受信してください").arg(at));
        notifier_.notify(
            QStringLiteral("手動での受信が必要です"),
            QStringLiteral("HGがパスワードを求めています。通話記録表から一度受信すると、"
                           "自動受信を再開します。"));
        return;
    }
    if (job.exitCode != 0) {
        setStatus(QStringLiteral("%1 受信できませんでした: %2").arg(at, job.error));
        // Told once until a download goes through again, not at every turn.
        if (!failureTold_ || askedByUser) {
            failureTold_ = true;
            notifier_.notify(QStringLiteral("自動受信できません"),
                             QStringLiteral("%1\n次の間隔でもう一度受信します。").arg(job.error));
        }
        return;
    }
    failureTold_ = false;
    setStatus(QStringLiteral("%1 %2").arg(at, job.output));
    const std::optional<rules::LogImportResult> result = std::exchange(imported_, std::nullopt);
    if (!result) {
        return;
    }
    tellNewCalls(*result);
    if (!clearArchivedLog(*result)) {
        guardMemory(*result);
    }
    if (askedByUser && result->archivedCalls == 0) {
        notifier_.notify(QStringLiteral("新着はありません"), job.output);
    }
}

void BackgroundFetch::downloaded(const rules::LogImportResult& result) {
    if (result.converted && result.error.isEmpty()) {
        paused_ = false;
    }
    if (watching()) {
        tellNewCalls(result);
        guardMemory(result);
    }
}

void BackgroundFetch::tellNewCalls(const rules::LogImportResult& result) {
    if (!settings_.notify || result.archivedCalls <= 0) {
        return;
    }
    std::vector<db::ArchivedCall> calls = result.newestCalls;
    std::sort(calls.begin(), calls.end(), [](const db::ArchivedCall& a, const db::ArchivedCall& b) {
        return a.moment > b.moment;
    });
    QStringList lines;
    for (size_t i = 0; i < std::min(calls.size(), CallsNamed); ++i) {
        const db::LogRow& row = calls[i].row;
        const QString who = row.name.isEmpty() ? app_.numbers().shownNumber(row.number) : row.name;
        lines << QStringLiteral("%1 %2 %3").arg(who, row.kind.trimmed(), row.callTime.trimmed());
    }
    const auto messages = std::count_if(calls.begin(), calls.end(), [](const db::ArchivedCall& c) {
        return c.row.kind == rules::AnsweringMachineText;
    });
    if (messages > 0) {
        lines << QStringLiteral("留守 %1 件").arg(messages);
    }
    const QString title = QStringLiteral("新着 %1 件").arg(result.archivedCalls);
    if (calls.empty()) {
        notifier_.notify(title, lines.join(u'\n'));
        return;
    }
    const qint64 from = calls.back().moment;
    const qint64 to = calls.front().moment;
    notifier_.notify(title, lines.join(u'\n'),
                     {{OpenNewCallsKey, QStringLiteral("通話履歴を開く")}},
                     [this, from, to](const QString& key) {
                         if (key == OpenNewCallsKey) {
                             emit openNewCallsRequested(from, to);
                         }
                     });
}

void BackgroundFetch::guardMemory(const rules::LogImportResult& result) {
    if (!result.converted || result.memoryFill < settings_.fullPercent) {
        warnedFill_.reset();
        return;
    }
    // Once a level: a log memory that has not grown since is not told again at every turn.
    if (warnedFill_ == result.memoryFill) {
        return;
    }
    warnedFill_ = result.memoryFill;
    notifier_.notify(QStringLiteral("HGの記録メモリが残り少なくなっています"),
                     QStringLiteral("記録メモリの %1 % を使っています。").arg(result.memoryFill),
                     {{ClearLogKey, QStringLiteral("LOG 削除")}}, [this](const QString& key) {
                         if (key == ClearLogKey) {
                             emit clearLogConfirmationRequested();
                         }
                     });
}

bool BackgroundFetch::clearArchivedLog(const rules::LogImportResult& result) {
    if (!settings_.clearWhenArchived || !result.converted || !result.error.isEmpty() ||
        !result.everyCallArchived || result.rows == 0) {
        return false;
    }
    const QString at = app_.services.wallClock.now().toString(QStringLiteral("M/d HH:mm"));
    try {
        // As the confirmed "LOG 削除" does: a copy of the phone book first.
        app_.backups.takeBeforeChange(app_.phoneBookTable, app_.services.wallClock.now());
        app_.link.clearAdapterLog();
        app_.nav().callLogChanged();
    } catch (const std::exception& e) {
        setStatus(QStringLiteral("%1 HGの記録を削除できませんでした: %2")
                      .arg(at, QString::fromUtf8(e.what())));
        notifier_.notify(QStringLiteral("HGの記録を削除できませんでした"),
                         QString::fromUtf8(e.what()));
        return false;
    }
    notifier_.notify(
        QStringLiteral("HGの記録を削除しました"),
        QStringLiteral("通話履歴に保存済みの %1 件を、HGの記録メモリから削除しました。")
            .arg(result.rows));
    return true;
}

void BackgroundFetch::setStatus(const QString& text) {
    status_ = text;
    emit statusChanged();
}
