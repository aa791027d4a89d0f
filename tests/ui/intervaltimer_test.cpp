#include <QTest>

#include "ui/intervaltimer.h"
#include "ui/manualclock.h"

class IntervalTimerTest : public QObject {
    Q_OBJECT
private slots:
    void firesRepeatedlyUntilIntervalZero() {
        ui::ManualClock clock;
        ui::IntervalTimer timer(clock);
        QList<qint64> fired;
        timer.onElapsed = [&] { fired << clock.now(); };
        timer.setInterval(700);
        clock.advance(2100);
        QCOMPARE(fired, (QList<qint64>{700, 1400, 2100}));
        timer.setInterval(0);
        clock.advance(5000);
        QCOMPARE(fired.size(), 3);
        QVERIFY(!timer.running());
    }

    void sameIntervalKeepsCountDifferentRestarts() {
        ui::ManualClock clock;
        ui::IntervalTimer timer(clock);
        int count = 0;
        timer.onElapsed = [&] { ++count; };
        timer.setInterval(500);
        clock.advance(300);
        timer.setInterval(500);  // unchanged: still due at 500
        QCOMPARE(clock.dueTime(&timer), qint64(500));
        timer.setInterval(400);  // changed: counts from 300
        QCOMPARE(clock.dueTime(&timer), qint64(700));
        clock.advance(399);
        QCOMPARE(count, 0);
        clock.advance(1);
        QCOMPARE(count, 1);
    }

    void handlerMayChangeItsOwnTimer() {
        ui::ManualClock clock;
        ui::IntervalTimer timer(clock);
        QList<qint64> fired;
        timer.onElapsed = [&] {
            fired << clock.now();
            timer.setInterval(fired.size() == 1 ? 700 : 0);  // 1800 then 700, then stop
        };
        timer.setInterval(1800);
        clock.advance(10000);
        QCOMPARE(fired, (QList<qint64>{1800, 2500}));
    }

    void timersAndCallbacksRunInTimeOrder() {
        ui::ManualClock clock;
        ui::IntervalTimer a(clock);
        ui::IntervalTimer b(clock);
        QStringList order;
        a.onElapsed = [&] {
            order << QStringLiteral("a%1").arg(clock.now());
            a.setInterval(0);
        };
        b.onElapsed = [&] {
            order << QStringLiteral("b%1").arg(clock.now());
            b.setInterval(0);
        };
        a.setInterval(600);
        b.setInterval(600);
        clock.schedule(300, [&] { order << QStringLiteral("cb%1").arg(clock.now()); });
        clock.advance(1000);
        QCOMPARE(order, (QStringList{"cb300", "a600", "b600"}));
        QCOMPARE(clock.now(), qint64(1000));
    }

    void errorInHandlerIsReportedAndTimerKeepsRunning() {
        ui::ManualClock clock;
        QStringList errors;
        clock.onError = [&](const std::string& m) { errors << QString::fromStdString(m); };
        ui::IntervalTimer timer(clock);
        timer.onElapsed = [] { throw std::runtime_error("入出力エラー"); };
        timer.setInterval(100);
        clock.advance(200);
        QCOMPARE(errors, (QStringList{"入出力エラー", "入出力エラー"}));
        QVERIFY(timer.running());
    }

    void destroyedTimerNeverFires() {
        ui::ManualClock clock;
        int count = 0;
        {
            ui::IntervalTimer timer(clock);
            timer.onElapsed = [&] { ++count; };
            timer.setInterval(100);
        }
        clock.advance(1000);
        QCOMPARE(count, 0);
    }
};

QTEST_GUILESS_MAIN(IntervalTimerTest)
#include "intervaltimer_test.moc"
