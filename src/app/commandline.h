#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

#include "rules/csv.h"

// A job the command line asks for, done without any window.
struct CommandJob {
    enum class Kind {
        Download,
        ExportArchive,
        ExportPhoneBook,
        Import,
        Backup,
        Restore,
        PrintArchive,
        PrintCallLog,
    };
    Kind kind = Kind::Download;
    QString file;                           // the file to write, read or put back
    QString folder;                         // --backup's folder; empty for the default
    std::optional<int32_t> passwordNumber;  // --password
    bool overwrite = false;                 // --on-duplicate overwrite
    rules::csv::Encoding encoding = rules::csv::Encoding::Utf8WithBom;
    // The archive's filters, as its window sets them.
    std::optional<QDate> from, to;
    QString kindText;  // the kind column's text; empty for every kind
    QString search;

    // Whether the job talks to the adapter: the call log is printed as just downloaded.
    bool downloads() const { return kind == Kind::Download || kind == Kind::PrintCallLog; }
    // Whether the job draws pages, which needs the platform's fonts.
    bool prints() const { return kind == Kind::PrintArchive || kind == Kind::PrintCallLog; }
};

// What the command line comes to: a job, the windows as usual, a text to print (help, version),
// or a usage error.
struct CommandLine {
    std::optional<CommandJob> job;
    QString text;        // --help or --version: print it and end with 0
    QString usageError;  // print it with the help hint and end with 2
    // --background: the program runs with no window until a second start asks for one.
    bool background = false;
};

// Reads the program's arguments (the first is the program). japanese: the help in Japanese,
// otherwise in English.
CommandLine parseCommandLine(const QStringList& arguments, bool japanese);
