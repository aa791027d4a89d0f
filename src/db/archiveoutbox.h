#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/callarchive.h"

namespace db {

// The calls of downloads that could not reach the office's server, kept in a file beside the
// local tables until they can be added to the archive there. Every failure is a DatabaseError.
class ArchiveOutbox {
public:
    explicit ArchiveOutbox(QString folder);
    ~ArchiveOutbox();

    static QString fileName();

    // Keeps the calls of one download, all of them or, on failure, none.
    void keep(const std::vector<ArchivedCall>& calls, const QDateTime& downloadedAt);
    // How many calls wait; none without the file.
    int count() const;

    // The waiting calls by download, and the mark that forget() takes to drop just these.
    struct Waiting {
        std::vector<DownloadedCalls> downloads;
        int64_t lastRow = 0;
    };
    Waiting waiting() const;
    // Drops the calls read by waiting() up to lastRow; the file goes once nothing waits.
    void forget(int64_t lastRow);

private:
    void open(bool create) const;

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace db
