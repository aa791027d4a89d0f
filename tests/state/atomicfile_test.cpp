#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>

#include "state/atomicfile.h"
#include "support/files.h"
#include "support/tinydisk.h"

namespace {}  // namespace

class AtomicFileTest : public QObject {
    Q_OBJECT
private slots:
    void replacesTheFileWholeAndKeepsItsPermissions() {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath(QStringLiteral("out.csv"));
        writeFile(path, "previous");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        appstate::AtomicFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write("new "), 4);
        QCOMPARE(readFile(path), QByteArray("previous"));
        QCOMPARE(file.write("content"), 7);
        QVERIFY(file.commit());
        QCOMPARE(readFile(path), QByteArray("new content"));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
    }

    // A write that takes part of its bytes is a failure: the file-size limit cuts the first
    // write short and refuses the rest.
    void shortWriteFailsAndKeepsThePreviousFile() {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath(QStringLiteral("out.vcf"));
        writeFile(path, "previous");
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        appstate::AtomicFile file(path);
        const bool opened = file.open(QIODevice::WriteOnly);
        const qint64 written = file.write(QByteArray(10000, 'x'));
        const bool committed = file.commit();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(opened);
        QCOMPARE(written, qint64(-1));
        QVERIFY(!committed);
        QCOMPARE(file.failure(), QStringLiteral("%1 を保存できません。ファイルが大きすぎます。元の"
                                                "ファイルはそのままです。")
                                     .arg(path));
        QCOMPARE(readFile(path), QByteArray("previous"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.vcf"});
    }

    void fullDiskKeepsThePreviousFile() {
        TinyDisk disk;
        if (!disk.isValid()) {
            QSKIP("no right to mount a small file system here");
        }
        const QString path = disk.filePath(QStringLiteral("calls.tas"));
        writeFile(path, "previous");
        disk.fill();
        appstate::AtomicFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(QByteArray(4000, 'x')), qint64(-1));
        QVERIFY(!file.commit());
        QCOMPARE(file.errorNumber(), ENOSPC);
        QVERIFY2(file.failure().contains(QStringLiteral("ディスクがいっぱいです")),
                 qPrintable(file.failure()));
        QCOMPARE(readFile(path), QByteArray("previous"));
    }
};

QTEST_MAIN(AtomicFileTest)
#include "atomicfile_test.moc"
