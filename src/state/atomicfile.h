#pragma once

#include <QIODevice>
#include <QString>

namespace appstate {

// A file written whole or not at all: the bytes go to a new file beside the target, which takes
// the target's place only once every byte is on the disk, so a failure at any point keeps the
// previous file. Every write either takes all its bytes or fails; a failure is told with its
// cause in Japanese.
class AtomicFile : public QIODevice {
public:
    explicit AtomicFile(QString path);
    ~AtomicFile() override;  // drops an uncommitted new file
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // In a folder that takes no new file, the target itself is written instead (not atomic).
    void setDirectWriteFallback(bool allowed) { directFallback_ = allowed; }
    // The new file is readable and writable by its owner only, whatever the target's mode was.
    void setOwnerOnly(bool ownerOnly) { ownerOnly_ = ownerOnly; }

    // Opens for writing only.
    bool open(OpenMode mode) override;
    // Puts the written file in the target's place; false (the previous file kept) on any failure.
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancel();

    // What went wrong, in Japanese and naming the file; empty while nothing did.
    QString failure() const;
    // The system's error number of the failure, 0 while nothing failed.
    int errorNumber() const { return errno_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool openNew();
    bool openDirect();
    void fail(int error);
    void closeDescriptor();

    QString path_;
    QString newPath_;
    int fd_ = -1;
    int errno_ = 0;
    bool direct_ = false;
    bool replaces_ = false;  // a file of that name was there before
    bool directFallback_ = false;
    bool ownerOnly_ = false;
};

// The cause of a failed file operation, in Japanese ("ディスクがいっぱいです" for ENOSPC).
QString fileErrorText(int error);

}  // namespace appstate
