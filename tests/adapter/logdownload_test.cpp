#include <QTest>

#include "hgsim/logimage.h"
#include "protocol/clockreply.h"
#include "protocol/secondsscale.h"
#include "support/linkrun.h"

using adapter::LogDownload;

namespace {

constexpr int NoReply = 1000000;
const QByteArray ClockRequest = "AT\\L2G53\r";
// Adapter clock 5, password code 0.
const QByteArray ClockReply = QByteArray::fromHex("000000050000303030");

// A download on the link, with the percent and the reports it gave.
struct Download : LinkRun {
    Download() {
        const LogDownload& d = link.download();
        QObject::connect(&d, &LogDownload::progress, [this](int p) { percent = p; });
        record(d, &LogDownload::started, "started");
        record(d, &LogDownload::passwordNeeded, "password needed");
        record(d, &LogDownload::imageReady, "image ready");
        record(d, &LogDownload::failed, "failed");
        record(d, &LogDownload::abandoned, "abandoned");
        record(d, &LogDownload::portUnavailable, "port unavailable");
    }

    void press() {
        mark();
        link.startDownload();
    }
    // The adapter stays silent; the test puts its own bytes on the line.
    void silence() { adapter.config().replyDelayMs = NoReply; }
    QByteArray image() const {
        return QByteArray(reinterpret_cast<const char*>(state.logImage.bytes().data()),
                          hgsim::LogImageBytes);
    }

    int percent = -1;
};

QStringList reports(const QString& last) {
    return {QStringLiteral("started at 0"), last};
}

}  // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void timelineWithoutPassword_data() {
        QTest::addColumn<int>("taModel");
        QTest::addColumn<QByteArray>("tel1");
        QTest::addColumn<QByteArray>("tel2");
        QTest::newRow("model 0") << 0 << QByteArray("AT\\T1/9*01\r")
                                 << QByteArray("ATE0\\T2/9*02\r");
        QTest::newRow("model 1") << 1 << QByteArray("AT\\T1/1*41\r")
                                 << QByteArray("ATE0\\T2/1*42\r");
    }
    void timelineWithoutPassword() {
        QFETCH(int, taModel);
        QFETCH(QByteArray, tel1);
        QFETCH(QByteArray, tel2);
        Download d;
        d.state.settings.adapterModel = taModel;
        d.state.settings.logModeTel1 = 1;
        d.state.settings.logModeTel2 = 2;
        d.adapter.config().clockOffsetSeconds = -3600;
        // Slow enough that the log is still arriving at the fourth tick.
        d.adapter.config().charsPerSecond = 1000;
        d.press();
        QVERIFY(d.portOpen());
        QCOMPARE(d.percent, 0);
        QCOMPARE(d.commands(), QList<QByteArray>{tel1});

        const struct {
            int ms;
            QByteArray command;
            int percent;
        } steps[] = {{600, tel2, 0},
                     {1800, "ATI\\I\r", 10},
                     {2500, ClockRequest, 20},
                     {3200, "AT\\L10\r", 30}};
        for (const auto& step : steps) {
            const qsizetype before = d.commands().size();
            d.at(step.ms - 1);
            QCOMPARE(d.commands().size(), before);
            d.at(step.ms);
            QCOMPARE(d.commands().size(), before + 1);
            QCOMPARE(d.commands().last(), step.command);
            QCOMPARE(d.percent, step.percent);
        }
        QVERIFY(d.state.adapterIdentified);
        QCOMPARE(d.state.settings.passwordCode, 0);
        QCOMPARE(d.state.pcClockSeconds, protocol::adapterSecondsOf(d.wallClock.time));
        QCOMPARE(d.state.hgClockSeconds, d.state.pcClockSeconds - 3600);
        QCOMPARE(d.state.clockDifference, 3600);

        int shown = 30;
        for (const auto& [ms, percent] :
             {std::pair{3900, 40}, {4600, 60}, {5300, 80}, {6000, 100}}) {
            d.at(ms - 1);
            QCOMPARE(d.percent, shown);
            d.at(ms);
            QCOMPARE(d.percent, percent);
            QVERIFY(d.link.download().inProgress());
            shown = percent;
        }
        d.at(6699);
        QCOMPARE(d.events, QStringList{"started at 0"});
        d.at(6700);
        QCOMPARE(d.events, reports("image ready at 6700"));
        QVERIFY(!d.link.download().inProgress());
        QCOMPARE(d.image(), hgsim::buildLogImage(d.adapter.config().calls));
        QCOMPARE(d.commands().size(), 5);
        d.at(7699);
        QVERIFY(d.portOpen());
        d.at(7700);
        QVERIFY(!d.portOpen());
    }

    // Whatever has come by a tick decides: 3078 bytes or more end the transfer on the next tick;
    // fewer by the last tick are a transfer that broke off.
    void earlyLogEndsOnTheNextTick_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("firstTickPercent");
        QTest::addColumn<int>("finishAt");
        QTest::addColumn<bool>("whole");
        QTest::newRow("3100 bytes") << 3100 << 100 << 3200 + 1400 << true;
        QTest::newRow("3078 bytes") << 3078 << 100 << 3200 + 1400 << true;
        QTest::newRow("3077 bytes") << 3077 << 40 << 3200 + 3500 << false;
    }
    void earlyLogEndsOnTheNextTick() {
        QFETCH(int, bytes);
        QFETCH(int, finishAt);
        QFETCH(bool, whole);
        Download d;
        d.silence();
        // What an earlier reply left behind must not fill the gap of a shorter one.
        QVERIFY(d.link.openPort());
        d.line()->send(0, QByteArray(adapter::ReceiveBuffer::Size - 1, 0x2a));
        d.clock.advance(0);
        d.link.closePort();
        const QByteArray before = d.image();
        d.press();
        d.reply(2600, ClockReply);
        QByteArray log(bytes, '\0');
        for (int i = 0; i < bytes; ++i) {
            log[i] = static_cast<char>(i % 251 + 1);
        }
        d.reply(3300, log);
        d.at(3900);
        QTEST(d.percent, "firstTickPercent");
        d.at(finishAt - 1);
        QCOMPARE(d.events, QStringList{"started at 0"});
        d.at(finishAt);
        QCOMPARE(d.events,
                 reports(QStringLiteral("%1 at %2")
                             .arg(whole ? QStringLiteral("image ready") : QStringLiteral("failed"))
                             .arg(finishAt)));
        QCOMPARE(d.portOpen(), whole);
        // The adapter said nothing else, so the buffer behind the reply is zero.
        QCOMPARE(d.image(), whole ? log.leftJustified(hgsim::LogImageBytes, '\0', true) : before);
    }

    // A download that fails leaves the held log as it was, closes the port and says so once.
    void failedDownloadKeepsThePreviousLog_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("failAt");
        QTest::newRow("silent adapter") << "silent" << 3200;
        QTest::newRow("adapter quiet mid-transfer") << "quiet" << 3200 + 3500;
        QTest::newRow("line hung up mid-transfer") << "hang-up" << 4000;
        QTest::newRow("300-byte image") << "short" << 3200 + 3500;
    }
    void failedDownloadKeepsThePreviousLog() {
        QFETCH(QString, how);
        QFETCH(int, failAt);
        Download d;
        d.press();
        d.at(8000);
        QVERIFY(d.events.last().startsWith(QStringLiteral("image ready")));
        const QByteArray image = d.image();
        // A fresh log would differ, and a later adapter clock would shift the times.
        d.adapter.config().calls.resize(4);
        d.adapter.config().calls[0].charge += 1;
        d.adapter.config().clockOffsetSeconds = 86400;

        d.events.clear();
        d.press();
        if (how == QLatin1String("silent")) {
            d.silence();
        }
        d.at(3200);
        if (how == QLatin1String("short")) {
            d.line()->cut(false);
            d.reply(3300, hgsim::buildLogImage(d.adapter.config().calls).left(300));
        }
        d.at(4000);
        if (how == QLatin1String("quiet") || how == QLatin1String("hang-up")) {
            QVERIFY(d.link.received().count() > 0);
            d.line()->cut(how == QLatin1String("hang-up"));
        }
        const qsizetype sent = d.commands().size();
        d.at(failAt);
        QCOMPARE(d.events, reports(QStringLiteral("failed at %1").arg(failAt)));
        QVERIFY(!d.link.download().inProgress());
        QVERIFY(!d.portOpen());
        QCOMPARE(d.image(), image);
        d.at(failAt + 10000);
        QCOMPARE(d.commands().size(), sent);
        QCOMPARE(d.events.size(), 2);
        if (how == QLatin1String("silent")) {
            QCOMPARE(d.commands().last(), ClockRequest);
        }
    }

    void hgClockFromReply() {
        Download d;
        d.silence();
        d.press();
        d.reply(2600, QByteArray::fromHex("800000010000303030"));
        d.at(3200);
        QCOMPARE(d.state.hgClockSeconds, -2147483647);
        const int64_t difference = int64_t{d.state.pcClockSeconds} + 2147483647;
        QCOMPARE(d.state.clockDifference, static_cast<int32_t>(static_cast<uint32_t>(difference)));
        QCOMPARE(d.commands().last(), QByteArray("AT\\L10\r"));
    }

    void clockReplyFields_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("clock");
        QTest::addColumn<int>("code");
        QTest::newRow("sign bit") << QByteArray::fromHex("800000010000303030") << -2147483647 << 0;
        QTest::newRow("code 123") << QByteArray::fromHex("000f42400000313233") << 1000000 << 123;
        QTest::newRow("letter") << QByteArray::fromHex("000000050000316133") << 5 << 0;
        QTest::newRow("negative") << QByteArray::fromHex("0000000500002d3132") << 5 << -12;
        QTest::newRow("sign only") << QByteArray::fromHex("0000000500002d0000") << 5 << 0;
        QTest::newRow("short reply") << QByteArray::fromHex("000001") << 256 << 0;
    }
    void clockReplyFields() {
        QFETCH(QByteArray, reply);
        const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(reply.constData()),
                                             static_cast<size_t>(reply.size()));
        QTEST(protocol::hgClockSecondsOf(bytes), "clock");
        QTEST(protocol::passwordCodeOf(bytes), "code");
    }

    // Another code stalls the download; the next one asks again, and the right code goes on.
    void passwordWrongThenRight() {
        Download d;
        d.adapter.config().passwordCode = 123;
        d.press();
        d.at(3200);
        QCOMPARE(d.events, reports("password needed at 3200"));
        QCOMPARE(d.percent, 0);
        QVERIFY(d.link.download().inProgress());
        QVERIFY(!d.link.download().stepTimer().running());
        QCOMPARE(d.commands().last(), ClockRequest);
        d.at(10000);
        QVERIFY(d.portOpen());
        QCOMPARE(d.commands().last(), ClockRequest);
        QCOMPARE(d.events.size(), 2);

        d.events.clear();
        d.press();
        d.at(3200);
        QCOMPARE(d.events, reports("password needed at 3200"));
        d.state.enteredPasswordCode = 123;
        d.link.continueDownloadWithPassword();
        QCOMPARE(d.commands().last(), QByteArray("AT\\L1123\r"));
        QCOMPARE(d.percent, 10);
        d.at(3200 + 3500);
        QVERIFY(d.events.last().startsWith(QStringLiteral("image ready")));
        QCOMPARE(d.image(), hgsim::buildLogImage(d.adapter.config().calls));

        // The code entered stays good for the run.
        d.events.clear();
        d.press();
        d.at(3200);
        QCOMPARE(d.events, QStringList{"started at 0"});
        QCOMPARE(d.commands().last(), QByteArray("AT\\L1123\r"));
    }

    void abandonedDownload_data() {
        QTest::addColumn<int>("abandonAt");
        QTest::newRow("starting") << 1000;
        QTest::newRow("identifying") << 2000;
        QTest::newRow("reading the clock") << 2900;
        QTest::newRow("transferring") << 4000;
    }
    void abandonedDownload() {
        QFETCH(int, abandonAt);
        Download d;
        d.press();
        d.at(abandonAt);
        const qsizetype sent = d.commands().size();
        d.link.abandonDownload();
        QCOMPARE(d.events, reports(QStringLiteral("abandoned at %1").arg(abandonAt)));
        QCOMPARE(d.state.logImage.bytes()[0], 255);
        d.at(abandonAt + 499);
        QVERIFY(d.portOpen());
        d.at(abandonAt + 500);
        QVERIFY(!d.portOpen());
        d.at(abandonAt + 10000);
        QCOMPARE(d.commands().size(), sent);
        QCOMPARE(d.events.size(), 2);

        d.press();
        QCOMPARE(d.commands().size(), sent + 1);
        QVERIFY(d.link.download().inProgress());
    }

    void portThatCannotBeOpened() {
        Download d;
        d.state.settings.comPort = 2;
        d.press();
        QCOMPARE(d.events, QStringList{"port unavailable at 0"});
        QVERIFY(!d.link.download().inProgress());
        QVERIFY(!d.link.download().stepTimer().running());
        QVERIFY(!d.link.tel2LogModeTimer().running());
        d.at(10000);
        QVERIFY(d.commands().isEmpty());
    }
};

QTEST_GUILESS_MAIN(DownloadTest)
#include "logdownload_test.moc"
