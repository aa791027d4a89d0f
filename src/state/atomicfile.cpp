#include "state/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace appstate {

namespace {

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

}  // namespace

QString fileErrorText(int error) {
    switch (error) {
        case ENOSPC:
            return QStringLiteral("ディスクがいっぱいです");
        case EDQUOT:
            return QStringLiteral("ディスクの使用量が上限に達しています");
        case EACCES:
        case EPERM:
            return QStringLiteral("書き込む権限がありません");
        case EROFS:
            return QStringLiteral("読み取り専用の場所です");
        case EFBIG:
            return QStringLiteral("ファイルが大きすぎます");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("保存先のフォルダがありません");
        case EISDIR:
            return QStringLiteral("同じ名前のフォルダがあります");
        case ENAMETOOLONG:
            return QStringLiteral("ファイル名が長すぎます");
        case EIO:
            return QStringLiteral("ディスクの読み書きに失敗しました");
        default:
            return QStringLiteral("書き込めません（%1）")
                .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

AtomicFile::AtomicFile(QString path) : path_(QFileInfo(path).absoluteFilePath()) {}

AtomicFile::~AtomicFile() {
    if (isOpen()) {
        cancel();
    }
}

bool AtomicFile::open(OpenMode mode) {
    if (isOpen() || (mode & ReadOnly) || !(mode & WriteOnly)) {
        return false;
    }
    errno_ = 0;
    if (!openNew() && !(directFallback_ && (errno_ == EACCES || errno_ == EPERM) &&
                        QFileInfo::exists(path_) && openDirect())) {
        setErrorString(failure());
        return false;
    }
    errno_ = 0;
    return QIODevice::open(WriteOnly | Unbuffered);
}

bool AtomicFile::openNew() {
    struct stat target {};
    const bool exists = ::stat(nativePath(path_).constData(), &target) == 0;
    replaces_ = exists;
    if (exists && S_ISDIR(target.st_mode)) {
        errno_ = EISDIR;
        return false;
    }
    const QFileInfo info(path_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        newPath_ = info.dir().filePath(
            QStringLiteral(".%1.%2.new")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        fd_ = ::open(nativePath(newPath_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                     ownerOnly_ ? 0600 : 0666);
        if (fd_ >= 0) {
            // A replaced file keeps its permissions.
            if (exists && !ownerOnly_) {
                ::fchmod(fd_, target.st_mode & 07777);
            }
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    errno_ = errno;
    newPath_.clear();
    return false;
}

bool AtomicFile::openDirect() {
    fd_ = ::open(nativePath(path_).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) {
        errno_ = errno;
        return false;
    }
    direct_ = true;
    return true;
}

qint64 AtomicFile::readData(char*, qint64) {
    return -1;
}

qint64 AtomicFile::writeData(const char* data, qint64 size) {
    if (fd_ < 0 || errno_ != 0) {
        return -1;
    }
    qint64 written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd_, data + written, static_cast<size_t>(size - written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A short write is a failure: the next write's error (or EIO) says why.
            fail(n < 0 ? errno : EIO);
            return -1;
        }
        written += n;
    }
    return written;
}

void AtomicFile::fail(int error) {
    if (errno_ == 0) {
        errno_ = error;
        setErrorString(failure());
    }
}

bool AtomicFile::commit() {
    if (!isOpen()) {
        return false;
    }
    if (errno_ == 0 && ::fsync(fd_) != 0) {
        fail(errno);
    }
    if (::close(fd_) != 0 && errno_ == 0) {
        fail(errno);
    }
    fd_ = -1;
    QIODevice::close();
    if (direct_) {
        return errno_ == 0;
    }
    if (errno_ == 0 &&
        ::rename(nativePath(newPath_).constData(), nativePath(path_).constData()) != 0) {
        fail(errno);
    }
    if (errno_ != 0) {
        ::unlink(nativePath(newPath_).constData());
        return false;
    }
    // The new name itself is on the disk once the folder is.
    const int folder =
        ::open(nativePath(QFileInfo(path_).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::cancel() {
    closeDescriptor();
    if (!direct_ && !newPath_.isEmpty()) {
        ::unlink(nativePath(newPath_).constData());
    }
    if (isOpen()) {
        QIODevice::close();
    }
}

void AtomicFile::closeDescriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

QString AtomicFile::failure() const {
    if (errno_ == 0) {
        return {};
    }
    const QString text = QStringLiteral("%1 を保存できません。%2。")
                             .arg(QDir::toNativeSeparators(path_), fileErrorText(errno_));
    return replaces_ && !direct_ ? text + QStringLiteral("元のファイルはそのままです。") : text;
}

}  // namespace appstate
