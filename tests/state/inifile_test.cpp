#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "state/inifile.h"

namespace {

// RS232C/COM read on another thread, so that a read that blocks fails the test instead of
// hanging it: nothing when no answer came within two seconds.
std::optional<int> comWithinTwoSeconds(const QString& path) {
    auto answer = std::make_shared<std::promise<int>>();
    std::future<int> result = answer->get_future();
    std::thread([path, answer] {
        answer->set_value(appstate::IniFile(path).readInteger("RS232C", "COM", 1));
    }).detach();
    if (result.wait_for(std::chrono::seconds(2)) != std::future_status::ready) {
        return std::nullopt;
    }
    return result.get();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class IniFileTest : public QObject {
    Q_OBJECT
private slots:
    void settingsNameBesideExecutable() {
        QCOMPARE(appstate::settingsPathFor(QStringLiteral("/opt/tilka/tilka")),
                 QStringLiteral("/opt/tilka/tilka.Ini"));
        QCOMPARE(appstate::settingsPathFor(QStringLiteral("/opt/tilka/Tilka.exe")),
                 QStringLiteral("/opt/tilka/Tilka.Ini"));
        QCOMPARE(appstate::settingsPathFor(QStringLiteral("/a.b/tilka")),
                 QStringLiteral("/a.b/tilka.Ini"));
    }

    void integerText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << QByteArray("3") << true << 3;
        QTest::newRow("spaces") << QByteArray("  42 ") << true << 42;
        QTest::newRow("negative") << QByteArray("-1") << true << -1;
        QTest::newRow("plus") << QByteArray("+7") << true << 7;
        QTest::newRow("0x") << QByteArray("0x1F") << true << 31;
        QTest::newRow("dollar") << QByteArray("$ff") << true << 255;
        QTest::newRow("hex all ones") << QByteArray("$FFFFFFFF") << true << -1;
        QTest::newRow("letters") << QByteArray("abc") << false << 0;
        QTest::newRow("trailing junk") << QByteArray("12a") << false << 0;
        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("bare sign") << QByteArray("-") << false << 0;
        QTest::newRow("bare prefix") << QByteArray("0x") << false << 0;
        QTest::newRow("too large") << QByteArray("2147483648") << false << 0;
        QTest::newRow("smallest") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
        QTest::newRow("hex too large") << QByteArray("0x100000000") << false << 0;
        QTest::newRow("decimal point") << QByteArray("1.5") << false << 0;
    }
    void integerText() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto parsed = appstate::parseIniInteger(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid) {
            QCOMPARE(*parsed, value);
        }
    }

    void readsWithPlatformRules() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tilka.Ini"));
        writeFile(path,
                  "; comment\r\n[rs232c]\r\nCom = 3\r\ncom=4\r\n[LOG]\r\nPORT1=abc\r\nPORT2=2\r\n"
                  "[TIME]\r\nHG=$10\r\nnot a key line\r\n[USER]\r\nSET1=\"12\"\r\n[LOG]\r\n"
                  "PORT1=1\r\n");
        const appstate::IniFile ini(path);
        // Names match without case; the first key of the first matching section wins.
        QCOMPARE(ini.readInteger("RS232C", "COM", 1), 3);
        QCOMPARE(ini.readInteger("LOG", "PORT1", 3), 3);
        QCOMPARE(ini.readInteger("LOG", "PORT2", 3), 2);
        QCOMPARE(ini.readInteger("TIME", "HG", 99), 16);
        QCOMPARE(ini.readInteger("USER", "SET1", 0), 12);
        QCOMPARE(ini.readInteger("USER", "SET2", 0), 0);
        QCOMPARE(ini.readInteger("TA", "NO", 0), 0);
    }

    void badFilesGiveDefaults() {
        QTemporaryDir dir;
        const appstate::IniFile missing(dir.filePath(QStringLiteral("none.Ini")));
        QCOMPARE(missing.readInteger("RS232C", "COM", 1), 1);
        QVERIFY(!QFile::exists(missing.path()));

        const QString garbage = dir.filePath(QStringLiteral("garbage.Ini"));
        QByteArray bytes;
        for (int i = 0; i < 4096; ++i) {
            bytes.append(char((i * 37) & 0xFF));
        }
        writeFile(garbage, bytes);
        QCOMPARE(appstate::IniFile(garbage).readInteger("RS232C", "COM", 1), 1);

        // A folder where the file should be cannot be read.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.Ini")));
        QCOMPARE(
            appstate::IniFile(dir.filePath(QStringLiteral("folder.Ini"))).readInteger("A", "B", 5),
            5);

        // Past the size limit the file counts as missing.
        const QString big = dir.filePath(QStringLiteral("big.Ini"));
        QByteArray large = "[RS232C]\n";
        large.append(QByteArray(10 * 1024 * 1024, 'x'));
        large.append("\nCOM=2\n");
        writeFile(big, large);
        QCOMPARE(appstate::IniFile(big).readInteger("RS232C", "COM", 1), 1);
    }

    // Only a regular file of at most 1 MiB is read; anything else gives the defaults at once and
    // is not replaced by a write.
    void onlyRegularFilesWithinTheLimit() {
        QTemporaryDir dir;
        QByteArray limit = "[RS232C]\nCOM=2\n;";
        limit.append(QByteArray(appstate::MaxSettingsFileBytes - limit.size(), 'x'));
        QCOMPARE(limit.size(), 1024 * 1024);
        const QString atLimit = dir.filePath(QStringLiteral("limit.Ini"));
        writeFile(atLimit, limit);
        QCOMPARE(comWithinTwoSeconds(atLimit), std::optional<int>(2));
        const QString over = dir.filePath(QStringLiteral("over.Ini"));
        writeFile(over, limit + 'x');
        QCOMPARE(comWithinTwoSeconds(over), std::optional<int>(1));

        const QString zero = dir.filePath(QStringLiteral("zero.Ini"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
        QCOMPARE(comWithinTwoSeconds(zero), std::optional<int>(1));

        const QString fifo = dir.filePath(QStringLiteral("tilka.Ini"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const std::optional<int> fromFifo = comWithinTwoSeconds(fifo);
        if (!fromFifo) {
            // Lets a reader stuck in open() go before the folder is removed.
            ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));
        }
        QCOMPARE(fromFifo, std::optional<int>(1));
        QVERIFY(!appstate::IniFile(fifo).writeInteger("RS232C", "COM", 3));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    void writerKeepsOtherLines() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tilka.Ini"));
        writeFile(path,
                  "; my adapter\r\n[RS232C]\r\nCOM=1\r\nSpeed=fast\r\n\r\n[Other]\r\nX=y\r\n");
        const appstate::IniFile ini(path);
        QVERIFY(ini.writeInteger("rs232c", "com", 2));
        QVERIFY(ini.writeInteger("RS232C", "NEW", 5));
        QVERIFY(ini.writeInteger("USER", "SET1", 13));
        QCOMPARE(readFile(path),
                 QByteArray("; my adapter\r\n[RS232C]\r\nCOM=2\r\nSpeed=fast\r\nNEW=5\r\n\r\n"
                            "[Other]\r\nX=y\r\n[USER]\r\nSET1=13\r\n"));
        QCOMPARE(ini.readInteger("RS232C", "COM", 0), 2);
        QCOMPARE(ini.readInteger("USER", "SET1", 0), 13);
    }

    void writerCreatesMissingFile() {
        QTemporaryDir dir;
        const appstate::IniFile ini(dir.filePath(QStringLiteral("tilka.Ini")));
        QVERIFY(ini.writeInteger("TA", "NO", -1));
        QCOMPARE(readFile(ini.path()), QByteArray("[TA]\nNO=-1\n"));
        QCOMPARE(ini.readInteger("TA", "NO", 0), -1);
    }

    void failedWriteLeavesFileWhole() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tilka.Ini"));
        writeFile(path, "[RS232C]\nCOM=1\n");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool written = appstate::IniFile(path).writeInteger("RS232C", "COM", 4);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (written) {
            QSKIP("running with rights that ignore folder permissions");
        }
        QCOMPARE(readFile(path), QByteArray("[RS232C]\nCOM=1\n"));
    }
};

QTEST_GUILESS_MAIN(IniFileTest)
#include "inifile_test.moc"
