#pragma once

#include <QString>
#include <functional>

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
};

// What a job needs of the machine.
struct JobEnvironment {
    ui::TimerBackend& timers;
    const ui::WallClock& wallClock;
    comm::SerialDeviceFactory& ports;
    QString settingsPath;
    QString tableFolder;
};

// Does one command-line job with the tables and the adapter, without any window: the same
// start-up, download, import and exports the windows use.
class CommandJobRunner {
public:
    explicit CommandJobRunner(JobEnvironment environment);
    ~CommandJobRunner();
    CommandJobRunner(const CommandJobRunner&) = delete;
    CommandJobRunner& operator=(const CommandJobRunner&) = delete;

    // Starts the job; done is called once with its result, at once or, for a download, when the
    // exchange with the adapter is over and the port closed.
    void run(const CommandJob& job, std::function<void(const JobResult&)> done);

private:
    void download(const CommandJob& job);
    void exportArchive(const CommandJob& job);
    void exportPhoneBook(const CommandJob& job);
    void importFile(const CommandJob& job);
    void backup(const CommandJob& job);
    void restore(const CommandJob& job);

    // Opens the phone book (made when missing) and, with withArchive, the archive, for this run
    // alone; false after finishing with the reason when one cannot be used.
    bool openBook(bool withArchive);
    QString backupFolder(const CommandJob& job) const;
    void connectDownload(bool passwordGiven);
    // Ends the job once the link has closed the port and sent what follows a download.
    void finishWhenQuiet(JobResult result);
    void finish(JobResult result);

    JobEnvironment env_;
    appstate::ProgramState state_{};
    adapter::DeviceLink link_;
    db::CallLogTable callLog_;
    db::PhoneBookTable phoneBook_;
    db::CallArchive archive_;
    rules::LogImport logImport_;
    rules::NumberReader numbers_;
    ui::IntervalTimer quietCheck_;
    JobResult pending_;
    std::function<void(const JobResult&)> done_;
};
