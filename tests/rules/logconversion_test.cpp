#include <QTest>
#include <array>
#include <limits>

#include "protocol/logimage.h"
#include "protocol/secondsscale.h"
#include "rules/logconversion.h"
#include "rules/logtexts.h"
#include "rules/telnumber.h"
#include "support/logimagebytes.h"

namespace {

constexpr int32_t Min32 = std::numeric_limits<int32_t>::min();
constexpr int32_t Max32 = std::numeric_limits<int32_t>::max();

// The example entry of the adapter's documentation: incoming on port 1, 125 seconds, 80 yen.
const QByteArray WorkedExample =
    QByteArray::fromHex("0102000F1B30000F1BAD0050303331323334353637380000");

std::array<uint8_t, 4001> imageOf(const QByteArray& bytes) {
    std::array<uint8_t, 4001> image{};
    std::copy_n(reinterpret_cast<const uint8_t*>(bytes.constData()),
                std::min<qsizetype>(bytes.size(), 4001), image.begin());
    return image;
}

// Entries of the given sizes (14 to 56 bytes) laid back to back.
QByteArray entriesOfSizes(const QList<int>& sizes) {
    QByteArray bytes;
    for (int size : sizes) {
        // 12 fixed bytes, then number and sub-number fields of a + b bytes.
        const int digits = size - 14;
        const int numberLength = std::min(digits, 23);
        TestLogEntry e{1,
                       1,
                       100,
                       200,
                       0,
                       QByteArray(numberLength, '5'),
                       QByteArray(digits - numberLength, '6')};
        if (numberLength == 23) {
            e.subNumber = QByteArray(size - 12 - 23 - 1, '6');
        }
        bytes += logEntryBytes(e);
    }
    return bytes;
}

rules::ClockSettings clock(int32_t hgClock, int32_t setting, int32_t difference) {
    return rules::ClockSettings{hgClock, setting, difference};
}

}  // namespace

class LogConversionTest : public QObject {
    Q_OBJECT
private slots:
    void lookupDigits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("separators go") << QStringLiteral("03-1234-5678") << "0312345678";
        QTest::newRow("hash and star stay") << QStringLiteral("#31*2 abc") << "#31*2";
        QTest::newRow("full-width digits go") << QStringLiteral("０３12") << "12";
        QTest::newRow("only the first 50 characters")
            << QString(49, u'x') + QStringLiteral("123") << "1";
        QTest::newRow("at most 50 digits") << QString(60, u'7') << QString(50, u'7');
    }
    void lookupDigits() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(rules::lookupDigits(text), expected);
    }

    void normalizeNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("full-width with a remark")
            << QStringLiteral("０３－１２３４（代）") << QStringLiteral("03-1234");
        QTest::newRow("full-width hash and star") << QStringLiteral("＃１＊") << "#1*";
        QTest::newRow("letters and brackets go") << QStringLiteral("TEL:03(1234)") << "031234";
        QTest::newRow("half-width kana are single bytes") << QStringLiteral("ﾀﾞｲﾔﾙ1") << "1";
        QTest::newRow("kanji and kana go") << QStringLiteral("山田あ9") << "9";
        QTest::newRow("only the first 255 bytes") << QString(300, u'1') << QString(255, u'1');
        // The lead byte is byte 255; its trail byte lies beyond the walk.
        QTest::newRow("character cut by the limit")
            << QString(254, u'1') + QStringLiteral("０") << QString(254, u'1');
    }
    void normalizeNumber() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(rules::normalizeNumber(text), expected);
    }

    void adapterSecondsOf_data() {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<int>("expected");
        QTest::newRow("5 March 1998") << QDateTime(QDate(1998, 3, 5), QTime(9, 7, 30)) << 37098450;
        QTest::newRow("1 January 1997") << QDateTime(QDate(1997, 1, 1), QTime(0, 0)) << 86400;
        QTest::newRow("years before 1997 count as 1997")
            << QDateTime(QDate(1990, 1, 1), QTime(0, 0)) << 86400;
        QTest::newRow("2026 is year 29")
            << QDateTime(QDate(2026, 12, 8), QTime(10, 0)) << 29 * 31536000 + 342 * 86400 + 36000;
        // Year 82 passes the 32-bit limit and wraps.
        QTest::newRow("end of 2079 wraps")
            << QDateTime(QDate(2079, 12, 31), QTime(23, 59, 59)) << -1677392897;
    }
    void adapterSecondsOf() {
        QFETCH(QDateTime, local);
        QFETCH(int, expected);
        QCOMPARE(protocol::adapterSecondsOf(local), expected);
    }

    void timeText_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("5 March") << 37098450 << "03/05 09:07";
        QTest::newRow("year dropped") << 36990000 << "03/04 03:00";
        QTest::newRow("zero is day 1") << 0 << "01/01 00:00";
        QTest::newRow("31 January") << 31 * 86400 << "01/31 00:00";
        QTest::newRow("1 February") << 32 * 86400 << "02/01 00:00";
        QTest::newRow("31 December wraps to January") << 365 * 86400 << "01/01 00:00";
        QTest::newRow("December takes the rest") << 31535999 << "12/30 23:59";
        QTest::newRow("largest") << Max32 << "02/04 03:14";
        QTest::newRow("smallest keeps the remainder's sign") << Min32 << "01/01 0-3:0-14";
    }
    void timeText() {
        QFETCH(int, seconds);
        QFETCH(QString, expected);
        QCOMPARE(protocol::timeText(seconds), expected);
    }

    void decodesTheWorkedExample() {
        const auto image = imageOf(WorkedExample);
        const protocol::DecodedLog log = protocol::decodeLogImage(image);
        QCOMPARE(log.entries.size(), size_t(1));
        const protocol::LogEntry& e = log.entries[0];
        QCOMPARE(e.portSet, uint8_t(1));
        QCOMPARE(e.callKind, uint8_t(2));
        QCOMPARE(e.startSeconds, 990000);
        QCOMPARE(e.endSeconds, 990125);
        QCOMPARE(e.charge, uint16_t(80));
        QCOMPARE(e.number, QByteArray("0312345678"));
        QCOMPARE(e.subNumber, QByteArray());
        QCOMPARE(log.endOffset, 24);
    }

    void fullLengthNumbersHaveNoTerminator() {
        const QByteArray number(23, '1');
        const QByteArray sub(21, '2');
        QByteArray bytes = logEntryBytes({1, 1, 5, 9, 0, number, "12"});
        bytes += logEntryBytes({2, 2, 5, 9, 0, "03", sub});
        bytes += logEntryBytes({4, 1, 5, 9, 0, "7", {}});
        const auto image = imageOf(bytes);
        const protocol::DecodedLog log = protocol::decodeLogImage(image);
        QCOMPARE(log.entries.size(), size_t(3));
        QCOMPARE(log.entries[0].number, number);
        QCOMPARE(log.entries[0].subNumber, QByteArray("12"));
        QCOMPARE(log.entries[0].size, 12 + 23 + 3);
        QCOMPARE(log.entries[1].offset, 38);
        QCOMPARE(log.entries[1].subNumber, sub);
        QCOMPARE(log.entries[1].size, 12 + 3 + 21);
        QCOMPARE(log.entries[2].offset, 38 + 36);
        QCOMPARE(log.entries[2].number, QByteArray("7"));
        QCOMPARE(rules::numberText(log.entries[0]), QString(number) + QStringLiteral("*12"));
    }

    void stopConditions_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("endOffset");
        QList<int> to3000(53, 56);
        to3000 << 32;  // 53 × 56 + 32 = 3000
        QList<int> to3001 = to3000;
        to3001.last() = 33;
        QTest::newRow("empty log") << QByteArray() << 0 << 0;
        QTest::newRow("entry at 3000 is read") << entriesOfSizes(to3000 << 14) << 55 << 3014;
        QTest::newRow("entry at 3001 is not") << entriesOfSizes(to3001 << 14) << 54 << 3001;
        // The smallest entries: the offset limit stops the log at 215, below 220.
        QTest::newRow("densest log") << entriesOfSizes(QList<int>(250, 14)) << 215 << 215 * 14;
        QTest::newRow("largest entries") << entriesOfSizes(QList<int>(70, 56)) << 54 << 54 * 56;
    }
    void stopConditions() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, entries);
        QFETCH(int, endOffset);
        const auto image = imageOf(bytes);
        const protocol::DecodedLog log = protocol::decodeLogImage(image);
        QCOMPARE(static_cast<int>(log.entries.size()), entries);
        QCOMPARE(log.endOffset, endOffset);
        for (const protocol::LogEntry& e : log.entries) {
            QVERIFY(e.offset <= protocol::LastEntryOffset);
        }
    }

    void neverReadsPastTheImage() {
        // A short span ending inside an entry: the missing bytes read as zero.
        const QByteArray bytes = logEntryBytes({7, 5, 1, 2, 3, "0312", "9"}).left(15);
        const auto span = std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), 15);
        const protocol::DecodedLog log = protocol::decodeLogImage(span);
        QCOMPARE(log.entries.size(), size_t(1));
        QCOMPARE(log.entries[0].number, QByteArray("031"));
        QCOMPARE(log.entries[0].subNumber, QByteArray());
        QCOMPARE(log.endOffset, 12 + 4 + 1);
    }

    void entryTexts_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("hgTimeSetting");
        QTest::addColumn<QStringList>("row");  // port, kind, number, time, duration, charge
        const QStringList example{QStringLiteral("１　　"),     QStringLiteral("▽着信"),
                                  QStringLiteral("0312345678"), QStringLiteral("03/04 03:00"),
                                  QStringLiteral("00:02:05"),   QStringLiteral("80 円")};
        QTest::newRow("worked example") << WorkedExample << 99 << example;
        // Both times move by 4 seconds; the texts stay the same.
        QTest::newRow("worked example with drift") << WorkedExample << 101 << example;
        QTest::newRow("answering machine: end time, no drift")
            << logEntryBytes({3, 1, 0, 990000 - 3600 * 30, 12, "03", {}}) << 150
            << QStringList{QStringLiteral("１２　"),
                           QStringLiteral("▽留守"),
                           "03",
                           QStringLiteral("03/02 21:00"),
                           QStringLiteral("留守中"),
                           QStringLiteral("12 円")};
        QTest::newRow("sub-number, no charge, long call")
            << logEntryBytes({7, 1, 990000, 990000 + 36000, 0, "0312345678", "12"}) << 99
            << QStringList{QStringLiteral("１２３"),        QStringLiteral("▲発信"),
                           QStringLiteral("0312345678*12"), QStringLiteral("03/04 03:00"),
                           QStringLiteral("10:00:00"),      QStringLiteral("---")};
        QTest::newRow("characters other than digits go")
            << logEntryBytes({4, 3, 990000, 993725, 1234, "03-12#", "A*1"}) << 99
            << QStringList{QStringLiteral("　　３"),   QStringLiteral("ＣＢ"),
                           QStringLiteral("0312#**1"), QStringLiteral("03/04 03:00"),
                           QStringLiteral("01:02:05"), QStringLiteral("1234 円")};
        QTest::newRow("port and kind beyond the tables")
            << logEntryBytes({8, 6, 990000, 990065, 65535, {}, {}}) << 99
            << QStringList{QString(),
                           QStringLiteral("？？"),
                           QString(),
                           QStringLiteral("03/04 03:00"),
                           QStringLiteral("00:01:05"),
                           QStringLiteral("65535 円")};
        QTest::newRow("largest port and kind bytes")
            << logEntryBytes({255, 255, 990000, 990000, 1, "1", {}}) << 99
            << QStringList{QString(),
                           QStringLiteral("？？"),
                           "1",
                           QStringLiteral("03/04 03:00"),
                           QStringLiteral("00:00:00"),
                           QStringLiteral("1 円")};
    }
    void entryTexts() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, hgTimeSetting);
        QFETCH(QStringList, row);
        const auto image = imageOf(bytes);
        const protocol::LogEntry e = protocol::decodeLogEntry(image, 0);
        const rules::ConvertedEntry c =
            rules::convertLogEntry(e, 7, clock(1000000, hgTimeSetting, 36000000));
        QCOMPARE(c.row.logNo, QStringLiteral("7"));
        QCOMPARE((QStringList{c.row.ports, c.row.kind, c.row.number, c.row.callTime, c.row.duration,
                              c.row.charge}),
                 row);
        QVERIFY(c.row.name.isEmpty());
        QCOMPARE(c.answeringMachine, e.startSeconds == 0);
    }

    void driftCorrection_data() {
        QTest::addColumn<int>("hgClock");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("expected");
        QTest::newRow("worked example start") << 1000000 << 101 << 990000 << 990004;
        QTest::newRow("worked example end") << 1000000 << 101 << 990125 << 990129;
        QTest::newRow("two hours, 2 s an hour") << 1007200 << 101 << 1000000 << 1000004;
        QTest::newRow("no correction") << 1007200 << 99 << 1000000 << 1000000;
        QTest::newRow("under an hour") << 1003599 << 101 << 1000000 << 1000000;
        QTest::newRow("time after the clock") << 1000000 << 101 << 1007200 << 1007196;
        QTest::newRow("slow clock") << 1007200 << 98 << 1000000 << 999998;
        // The difference wraps to the largest value, 596523 whole hours.
        QTest::newRow("difference wraps") << Min32 << 101 << 1 << 1 + 596523 * 2;
        QTest::newRow("sum wraps") << Max32 << 4099 << 1000000000 << -2019987296;
        QTest::newRow("extreme setting wraps") << 3601 << Min32 << 1 << 1 + (Max32 - 98);
    }
    void driftCorrection() {
        QFETCH(int, hgClock);
        QFETCH(int, setting);
        QFETCH(int, seconds);
        QFETCH(int, expected);
        QCOMPARE(rules::driftCorrected(seconds, clock(hgClock, setting, 0)), expected);
    }

    void timesNearTheLimits() {
        // Duration and time of day computed with 32-bit wrap-around, as the adapter's side does.
        const auto image = imageOf(logEntryBytes({1, 1, 1, Min32, 0, "1", {}}) +
                                   logEntryBytes({1, 2, Max32, Max32, 0, "2", {}}) +
                                   logEntryBytes({1, 2, Min32, Max32, 0, "3", {}}));
        const protocol::DecodedLog log = protocol::decodeLogImage(image);
        QCOMPARE(log.entries.size(), size_t(3));
        const auto settings = clock(Min32, 99, Max32);
        const rules::ConvertedEntry first = rules::convertLogEntry(log.entries[0], 1, settings);
        // E − S and the clock difference plus S both wrap past the limit.
        QCOMPARE(first.row.duration, QStringLiteral("596523:14:07"));
        QCOMPARE(first.row.callTime, QStringLiteral("01/01 0-3:0-14"));
        const rules::ConvertedEntry second = rules::convertLogEntry(log.entries[1], 2, settings);
        QCOMPARE(second.row.duration, QStringLiteral("00:00:00"));
        // A negative start is neither corrected nor an answering-machine entry; E − S wraps to −1.
        const rules::ConvertedEntry third = rules::convertLogEntry(log.entries[2], 3, settings);
        QVERIFY(!third.answeringMachine);
        QCOMPARE(third.row.duration, QStringLiteral("00:00:0-1"));
        QCOMPARE(third.row.callTime, protocol::timeText(-1));
    }

    void totalsAndGauge() {
        QCOMPARE(rules::totalChargeText(0), QStringLiteral("0 円 "));
        QCOMPARE(rules::entryCountText(12), QStringLiteral("12 件"));
        QCOMPARE(rules::memoryGaugeValue(0, 0), 0);
        QCOMPARE(rules::memoryGaugeValue(1, 24), 1);
        QCOMPARE(rules::memoryGaugeValue(40, 1500), 51);
        QCOMPARE(rules::memoryGaugeValue(55, 3014), 101);
    }
};

QTEST_GUILESS_MAIN(LogConversionTest)
#include "logconversion_test.moc"
