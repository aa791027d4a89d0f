#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "adapter/devicelink.h"
#include "app/commandline.h"
#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "db/phonebooktable.h"
#include "rules/logimport.h"
#include "rules/numberreader.h"
#include "state/programstate.h"
#include "ui/intervaltimer.h"
#include "ui/wallclock.h"

namespace comm {
class SerialDeviceFactory;
}

// How a job ended: the exit code, the one line for standard output on success, the message for
// standard error on failure.
struct JobResult {
    int exitCode = 0;
    QString output;
    QString error;
    // The adapter asked for a password the job did not have.
    bool passwordAsked = false;
};

// What a job needs of the machine.
struct JobEnvironment {
    ui::TimerBackend& timers;
    const ui::WallClock& wallClock;
    comm::SerialDeviceFactory& ports;
    QString settingsPath;
    QString tableFolder;
};

// The record, the link and the open tables of a running program, for a job handed to it.
struct RunningTables {
    appstate::ProgramState& state;
    adapter::DeviceLink& link;
    db::CallLogTable& callLog;
    db::PhoneBookTable& phoneBook;
    db::CallArchive& archive;
    rules::LogImport& logImport;
    // Told what a download took in, for the windows that show the call log.
    std::function<void(const rules::LogImportResult&)> downloaded;
};

// The answer to a download while the adapter is busy with another exchange.
QString adapterBusyMessage();

// Does one command-line job with the tables and the adapter, without any window: the same
// start-up, download, import and exports the windows use.
class CommandJobRunner {
public:
    // A job on its own: it opens the tables for itself alone and closes them at the end.
    explicit CommandJobRunner(JobEnvironment environment);
    // A job inside a running program, on its tables and link as they are; a download refuses
    // while the link is busy, and tables in use are not put back.
    CommandJobRunner(JobEnvironment environment, RunningTables running);
    ~CommandJobRunner();
    CommandJobRunner(const CommandJobRunner&) = delete;
    CommandJobRunner& operator=(const CommandJobRunner&) = delete;

    // Starts the job; done is called once with its result, at once or, for a download, when the
    // exchange with the adapter is over and the port closed.
    void run(const CommandJob& job, std::function<void(const JobResult&)> done);

private:
    struct OwnTables;
    CommandJobRunner(JobEnvironment environment, std::unique_ptr<OwnTables> own);
    // No exchange runs and the port's delayed close is over.
    bool linkQuiet() const;

    void download(const CommandJob& job);
    void exportArchive(const CommandJob& job);
    void printArchive(const CommandJob& job);
    // The archive's query for the job's filters.
    db::ArchiveQuery archiveQueryOf(const CommandJob& job) const;
    void exportPhoneBook(const CommandJob& job);
    void importFile(const CommandJob& job);
    void backup(const CommandJob& job);
    void restore(const CommandJob& job);

    // Opens the phone book (made when missing) and, with withArchive, the archive, for this run
    // alone; false after finishing with the reason when one cannot be used.
    bool openBook(bool withArchive);
    QString backupFolder(const CommandJob& job) const;
    void connectDownload(bool passwordGiven);
    // Adds calls an earlier run kept for the office's server to its archive, when it answers;
    // how many were new there.
    int sendWaitingCalls();
    // Ends the job once the link has closed the port and sent what follows a download.
    void finishWhenQuiet(JobResult result);
    void finish(JobResult result);

    JobEnvironment env_;
    // Empty for a job inside a running program.
    std::unique_ptr<OwnTables> own_;
    RunningTables tables_;
    // The download's reports reach this job only while it lives.
    QObject receiver_;
    rules::NumberReader numbers_;
    ui::IntervalTimer quietCheck_;
    JobResult pending_;
    // Where a download prints the call log once it is in; empty for a plain download.
    QString printTo_;
    std::function<void(const JobResult&)> done_;
};
