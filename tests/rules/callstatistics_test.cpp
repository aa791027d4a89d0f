#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "db/callarchive.h"
#include "db/databaseerror.h"
#include "db/phonebooktable.h"
#include "protocol/secondsscale.h"
#include "rules/callstatistics.h"
#include "rules/logtexts.h"
#include "support/files.h"

namespace {

const QString A = QStringLiteral("0311112222");
const QString B = QStringLiteral("0453334444");
const QString C = QStringLiteral("0665556666");

// A call at a local time on the PC's clock; kind 1 outgoing, 2 incoming, 0 a message.
db::ArchivedCall callAt(const QDateTime& at, int kind, const QString& number, int charge) {
    static int32_t start = 1000;
    db::ArchivedCall c;
    c.startSeconds = kind == 0 ? 0 : (start += 1000);
    c.portSet = 1;
    c.callKind = static_cast<uint8_t>(kind == 0 ? 2 : kind);
    c.number = number;
    c.durationSeconds = (start += 1000);  // keeps messages apart too
    c.charge = charge;
    c.moment = protocol::adapterSecondsOf(at);
    c.row.kind = kind == 0 ? rules::AnsweringMachineText : rules::kindText(c.callKind);
    c.row.number = number;
    return c;
}

QDateTime at(int y, int m, int d, int h = 12, int min = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

// Month, outgoing, incoming, messages, other kinds and charge, as one comparable line each.
QStringList monthLines(const rules::CallStatistics& s) {
    QStringList out;
    for (const rules::MonthFigures& m : s.months) {
        out << QStringLiteral("%1 %2/%3/%4/%5 %6")
                   .arg(m.month)
                   .arg(m.outgoing)
                   .arg(m.incoming)
                   .arg(m.messages)
                   .arg(m.other)
                   .arg(m.charge);
    }
    return out;
}

QStringList numberLines(const std::vector<rules::NumberFigures>& figures) {
    QStringList out;
    for (const rules::NumberFigures& f : figures) {
        out << QStringLiteral("%1 %2 %3 %4").arg(f.number, f.name).arg(f.calls).arg(f.charge);
    }
    return out;
}

struct SmallArchive {
    QTemporaryDir dir;
    db::CallArchive archive{dir.path(), protocol::monthOfMoment};
    db::PhoneBookTable book{dir.path()};

    SmallArchive() {
        archive.open();
        archive.add(
            {
                callAt(at(2025, 12, 31, 23, 59, 59), 1, C, 10),  // still December
                callAt(at(2026, 1, 1, 0, 0, 0), 1, A, 30),
                callAt(at(2026, 1, 15), 1, A, 30),
                callAt(at(2026, 1, 31, 23, 59, 59), 2, B, 0),
                callAt(at(2026, 2, 1), 0, B, 0),
                callAt(at(2026, 3, 10), 1, C, 100),
                callAt(at(2026, 3, 31, 23, 59, 59), 5, QString(),
                       0),  // forwarded, without a number
                callAt(at(2026, 4, 1, 0, 0, 0), 1, A, 40),
            },
            QDateTime(QDate(2026, 4, 2), QTime(9, 0)));
        book.createTable();
        book.open();
        db::UserRecord r;
        r.name = QStringLiteral("青木");
        r.tel = r.tel2 = A;
        book.append(r);
    }

    rules::CallStatistics between(const QDate& from, const QDate& to) const {
        return rules::callStatistics(archive, book, from, to);
    }
};

}  // namespace

class CallStatisticsTest : public QObject {
    Q_OBJECT
private slots:
    void calendarMonthsMatchTheAdapterScale() {
        // Days count from 1, so the last day of a year lies in the next year's seconds.
        const int64_t lastSecondOf2025 = protocol::adapterSecondsOf(at(2025, 12, 31, 23, 59, 59));
        QCOMPARE(protocol::monthOfMoment(lastSecondOf2025), 202512);
        QCOMPARE(protocol::monthOfMoment(lastSecondOf2025 + 1), 202601);
        QCOMPARE(protocol::monthStartMoment(202601), lastSecondOf2025 + 1);
        QCOMPARE(protocol::dateOfMoment(lastSecondOf2025), QDate(2025, 12, 31));
        QCOMPARE(protocol::dateTimeText(lastSecondOf2025), QStringLiteral("2025/12/31 23:59"));
        QCOMPARE(protocol::dateTimeText(lastSecondOf2025 + 1), QStringLiteral("2026/01/01 00:00"));
        QCOMPARE(protocol::monthOfMoment(protocol::adapterSecondsOf(at(2026, 2, 28, 23, 59, 59))),
                 202602);
        QCOMPARE(protocol::monthStartMoment(202603),
                 protocol::adapterSecondsOf(at(2026, 3, 1, 0, 0, 0)));
        QCOMPARE(protocol::nextMonth(202612), 202701);
    }

    void monthlyFiguresOfWholeAndPartMonths() {
        SmallArchive a;
        // Whole months come from the kept totals.
        rules::CallStatistics s = a.between(QDate(2026, 1, 1), QDate(2026, 3, 31));
        QCOMPARE(monthLines(s), (QStringList{QStringLiteral("202601 2/1/0/0 60"),
                                             QStringLiteral("202602 0/0/1/0 0"),
                                             QStringLiteral("202603 1/0/0/1 100")}));
        QCOMPARE(numberLines(s.mostCalls), (QStringList{QStringLiteral("0311112222 青木 2 60"),
                                                        QStringLiteral("0453334444  2 0"),
                                                        QStringLiteral("0665556666  1 100")}));
        QCOMPARE(numberLines(s.highestCharges),
                 (QStringList{QStringLiteral("0665556666  1 100"),
                              QStringLiteral("0311112222 青木 2 60")}));

        // Pieces of months are counted call by call, to the second at both ends.
        s = a.between(QDate(2025, 12, 31), QDate(2026, 1, 1));
        QCOMPARE(monthLines(s), (QStringList{QStringLiteral("202512 1/0/0/0 10"),
                                             QStringLiteral("202601 1/0/0/0 30")}));
        s = a.between(QDate(2026, 1, 2), QDate(2026, 2, 1));
        QCOMPARE(monthLines(s), (QStringList{QStringLiteral("202601 1/1/0/0 30"),
                                             QStringLiteral("202602 0/0/1/0 0")}));
        s = a.between(QDate(2026, 1, 16), QDate(2026, 1, 31));
        QCOMPARE(monthLines(s), QStringList{QStringLiteral("202601 0/1/0/0 0")});
        QCOMPARE(numberLines(s.mostCalls), QStringList{QStringLiteral("0453334444  1 0")});
        // Whole months between two pieces.
        s = a.between(QDate(2025, 12, 31), QDate(2026, 4, 1));
        QCOMPARE(s.months.size(), size_t{5});
        QCOMPARE(monthLines(s).last(), QStringLiteral("202604 1/0/0/0 40"));
        QCOMPARE(numberLines(s.mostCalls).first(), QStringLiteral("0311112222 青木 3 100"));

        QVERIFY(a.between(QDate(2026, 2, 1), QDate(2026, 1, 31)).months.empty());
    }

    void anArchiveWrittenWithoutMonthlyTotalsGetsThem() {
        SmallArchive a;
        const rules::CallStatistics before = a.between(QDate(2025, 12, 1), QDate(2026, 4, 30));
        a.archive.close();
        QVERIFY(dropArchiveTotals(a.dir.filePath(db::CallArchive::fileName())));
        a.archive.open();
        // Counted in steps, not at the opening; until done the statistics refuse.
        QVERIFY(!a.archive.totalsReady());
        const auto whole = [&a] { return a.between(QDate(2025, 12, 1), QDate(2026, 4, 30)); };
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError, whole());
        QVERIFY(!a.archive.countTotals(3));
        // A download in between is totalled once, by itself.
        const db::ArchivedCall late = callAt(at(2026, 3, 11), 1, A, 50);
        QCOMPARE(a.archive.add({late}, QDateTime(QDate(2026, 4, 3), QTime(9, 0))), 1);
        // A later run goes on where the count stopped.
        a.archive.close();
        a.archive.open();
        QVERIFY(!a.archive.totalsReady());
        QVERIFY(a.archive.totalsPercent() > 0 && a.archive.totalsPercent() < 100);
        int steps = 1;
        while (!a.archive.countTotals(3)) {
            ++steps;
        }
        QCOMPARE(steps, 2);
        QVERIFY(a.archive.totalsReady());
        QCOMPARE(a.archive.totalsPercent(), 100);

        SmallArchive kept;
        kept.archive.add({late}, QDateTime(QDate(2026, 4, 3), QTime(9, 0)));
        const rules::CallStatistics expected = kept.between(QDate(2025, 12, 1), QDate(2026, 4, 30));
        const rules::CallStatistics after = a.between(QDate(2025, 12, 1), QDate(2026, 4, 30));
        QVERIFY(monthLines(expected) != monthLines(before));
        QCOMPARE(monthLines(after), monthLines(expected));
        QCOMPARE(monthLines(after).size(), 5);
        QCOMPARE(numberLines(after.mostCalls), numberLines(expected.mostCalls));
        QCOMPARE(numberLines(after.highestCharges), numberLines(expected.highestCharges));
    }
};

QTEST_GUILESS_MAIN(CallStatisticsTest)
#include "callstatistics_test.moc"
