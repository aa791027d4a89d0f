#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// A small file system of its own (a tmpfs, which needs the right to mount) that a test can fill
// up, so that writes fail with "no space left".
class TinyDisk {
public:
    TinyDisk() {
        mounted_ = QProcess::execute(
                       QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                        QStringLiteral("size=256k"), QStringLiteral("tmpfs"), folder_.path()}) == 0;
    }
    ~TinyDisk() {
        if (mounted_) {
            QProcess::execute(QStringLiteral("umount"), {folder_.path()});
        }
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;

    bool isValid() const { return mounted_; }
    QString filePath(const QString& name) const { return QDir(folder_.path()).filePath(name); }

    // Takes every free byte left.
    void fill() const {
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            return;
        }
        const QByteArray block(4096, 'x');
        while (filler.write(block) > 0) {
        }
    }

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
};
