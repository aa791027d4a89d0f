// Archive speed with 1,000,000 calls over 5,000 numbers, in the archive file or, when PGHOST and
// the other libpq variables name a server, in a database of its own there: opening the archive
// window, a search by digits, by a name's part and by place showing their first rows, the places of
// every number, opening the statistics, adding a full download of 215 calls, and exporting every
// call to a CSV file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QChartView>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <array>
#include <memory>
#include <random>

#include "protocol/secondsscale.h"
#include "rules/csv.h"
#include "rules/numberreader.h"
#include "support/testapp.h"
#include "support/testserver.h"
#include "windows/archivemodel.h"
#include "windows/archivewindow.h"
#include "windows/statisticswindow.h"

namespace {

constexpr int Calls = 1000000;
constexpr int Numbers = 5000;  // the numbers a household calls and is called from
constexpr int Records = 1000;  // phone book records, one per number of the first thousand

// Fixed lines of four areas and mobiles, each a valid number.
QString numberOf(int i) {
    static const std::array<QString, 5> areas{QStringLiteral("03"), QStringLiteral("06"),
                                              QStringLiteral("011"), QStringLiteral("052"),
                                              QStringLiteral("090")};
    const QString& area = areas[static_cast<size_t>(i % 5)];
    const QString subscriber = QString::number(23456789 + i * 7919 % 60000000);
    return area + subscriber.left(area.size() == 3 && area != u"090" ? 7 : 8);
}

db::ArchivedCall callOf(int i, std::mt19937& random) {
    db::ArchivedCall c;
    c.startSeconds = 1000000 + i * 97;
    c.portSet = static_cast<uint8_t>(1 + random() % 7);
    c.callKind = static_cast<uint8_t>(1 + random() % 2);
    c.number = numberOf(static_cast<int>(random() % Numbers));
    c.durationSeconds = static_cast<int32_t>(random() % 600);
    c.charge = static_cast<int>(random() % 100);
    c.moment = c.startSeconds;
    c.row = {QString::number(i % 215 + 1),
             QStringLiteral("１　　"),
             c.callKind == 1 ? QStringLiteral("▲発信") : QStringLiteral("▽着信"),
             QString(),
             c.number,
             QStringLiteral("00:03:20"),
             QStringLiteral("%1 円").arg(c.charge),
             QStringLiteral("12/08 10:00")};
    return c;
}

// The run the benchmarks share; released before the application object, whose windows it holds.
std::unique_ptr<TestApp> sharedApp;
std::unique_ptr<TestServerDatabase> server;

// One run of the program whose archive holds a million calls, made once for all benchmarks.
TestApp& fullApp() {
    std::unique_ptr<TestApp>& t = sharedApp;
    if (!t) {
        t = std::make_unique<TestApp>();
        {
            db::CallArchive archive(t->folder(), protocol::monthOfMoment);
            if (TestServerDatabase::serverGiven()) {
                server = std::make_unique<TestServerDatabase>();
                t->writeSettings(server->settingsFileSection());
                archive.useServer(server->settings());
            }
            archive.open();
            std::mt19937 random(7);
            std::vector<db::ArchivedCall> batch;
            for (int i = 0; i < Calls; ++i) {
                batch.push_back(callOf(i, random));
            }
            archive.add(batch, QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
        }
        t->start();
        t->clock.advance(2000);
        db::PhoneBookTable& book = t->app->phoneBookTable;
        book.beginBatch();
        for (int i = 0; i < Records; ++i) {
            db::UserRecord r;
            r.name = QStringLiteral("氏名%1").arg(i);
            r.yomi = QStringLiteral("ﾖﾐ%1").arg(i);
            r.tel = r.tel2 = numberOf(i);
            book.append(r);
        }
        book.commitBatch();
        if (server) {
            server->settle();
        }
    }
    return *t;
}

// From the menu to the window painted with its first rows; the totals follow (below).
void BM_ArchiveOpen(benchmark::State& state) {
    TestApp& t = fullApp();
    ArchiveWindow* w = t.app->windows.archive;
    for (auto _ : state) {
        state.PauseTiming();
        w->hide();
        state.ResumeTiming();
        w->showArchive();
        w->grid->viewport()->repaint();
        benchmark::DoNotOptimize(w->grid->model()->index(20, 3).data());
    }
    state.counters["calls"] = static_cast<double>(t.app->callArchive.totals({}).count);
}
BENCHMARK(BM_ArchiveOpen)->Unit(benchmark::kMillisecond)->Iterations(10);

// The status line's totals of all calls, which the window computes once its rows are shown.
void BM_ArchiveTotals(benchmark::State& state) {
    TestApp& t = fullApp();
    for (auto _ : state) {
        benchmark::DoNotOptimize(t.app->callArchive.totals({}));
    }
}
BENCHMARK(BM_ArchiveTotals)->Unit(benchmark::kMillisecond)->Iterations(10);

// The search as it runs after the typing pause: the query, its first rows and the totals; the
// places, which the window reads in steps once shown, read.
void BM_ArchiveSearch(benchmark::State& state) {
    TestApp& t = fullApp();
    ArchiveWindow* w = t.app->windows.archive;
    while (w->placesTimer.running()) {
        t.clock.advance(ArchiveWindow::PlacesStepMs);
    }
    static const std::array<QString, 3> texts{QStringLiteral("3123"), QStringLiteral("氏名12"),
                                              QStringLiteral("大阪")};
    const QString& text = texts.at(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w->searchBox->clear();
        w->applyFilters();
        state.ResumeTiming();
        w->searchBox->setText(text);
        w->applyFilters();
        w->grid->viewport()->repaint();
        benchmark::DoNotOptimize(w->grid->model()->index(0, 3).data());
    }
    state.counters["found"] =
        static_cast<double>(t.app->callArchive.totals(w->model->query()).count);
    w->searchBox->clear();
}
BENCHMARK(BM_ArchiveSearch)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(10);

// The places of every number of the archive read afresh, which the archive window does in steps
// of ArchiveWindow::PlacesPerStep numbers once shown: the numbers from the archive, each
// number's place worked out once.
void BM_PlacesOfAllNumbers(benchmark::State& state) {
    TestApp& t = fullApp();
    for (auto _ : state) {
        const rules::NumberReader reader;
        const QStringList numbers = t.app->callArchive.numbers();
        benchmark::DoNotOptimize(reader.numbersAt(QStringLiteral("大阪"), numbers));
        state.counters["numbers"] = static_cast<double>(numbers.size());
    }
}
BENCHMARK(BM_PlacesOfAllNumbers)->Unit(benchmark::kMillisecond)->Iterations(3);

// From the archive window's button to the statistics window painted, the window made afresh
// each time: the default year up to the newest call (0), and the whole archive of three years
// (1), both ends cutting a month.
void BM_StatisticsOpen(benchmark::State& state) {
    TestApp& t = fullApp();
    ArchiveWindow* w = t.app->windows.archive;
    w->showArchive();
    w->fromDate->setDate(QDate(1997, 1, 5));
    w->toDate->setDate(QDate(2000, 3, 20));
    w->dateRangeBox->setChecked(state.range(0) == 1);
    for (auto _ : state) {
        state.PauseTiming();
        delete w->statisticsWindow;
        w->statisticsWindow = nullptr;
        state.ResumeTiming();
        w->statisticsButton->click();
        const StatisticsWindow* s = w->statisticsWindow;
        for (QAbstractScrollArea* area :
             {static_cast<QAbstractScrollArea*>(s->callsChart),
              static_cast<QAbstractScrollArea*>(s->chargesChart),
              static_cast<QAbstractScrollArea*>(s->mostCallsTable),
              static_cast<QAbstractScrollArea*>(s->highestChargesTable)}) {
            area->viewport()->repaint();
        }
    }
    int64_t calls = 0;
    for (const rules::MonthFigures& m : w->statisticsWindow->statistics().months) {
        calls += m.outgoing + m.incoming + m.messages + m.other;
    }
    state.counters["months"] = static_cast<double>(w->statisticsWindow->statistics().months.size());
    state.counters["calls"] = static_cast<double>(calls);
    w->dateRangeBox->setChecked(false);
    w->hide();
}
BENCHMARK(BM_StatisticsOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

// A full download of 215 calls, half of them already archived.
void BM_ArchiveAddDownload(benchmark::State& state) {
    TestApp& t = fullApp();
    std::mt19937 random(11);
    int next = Calls;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<db::ArchivedCall> download;
        for (int i = next - 107; i < next + 108; ++i) {
            download.push_back(callOf(i, random));
        }
        next += 108;
        state.ResumeTiming();
        t.app->callArchive.add(download, QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    }
}
BENCHMARK(BM_ArchiveAddDownload)->Unit(benchmark::kMillisecond)->Iterations(20);

// Every call, names and places looked up, written as CSV (UTF-8) to memory.
void BM_ArchiveExportAll(benchmark::State& state) {
    TestApp& t = fullApp();
    ArchiveModel& model = *t.app->windows.archive->model;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        rules::csv::Writer writer(out, rules::csv::Encoding::Utf8WithBom);
        int64_t rows = 0;
        t.app->callArchive.forEachRow({}, [&](const db::LogRow& row, int64_t) {
            writer.writeRow({row.ports, row.kind, model.nameFor(row.number), row.number,
                             row.callTime, row.duration, row.charge,
                             model.cellText(row, 0, ArchiveModel::PlaceColumn)});
            ++rows;
        });
        writer.finish();
        state.counters["rows"] = static_cast<double>(rows);
        state.counters["MB"] = static_cast<double>(out.size()) / 1e6;
    }
}
BENCHMARK(BM_ArchiveExportAll)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sharedApp.reset();
    server.reset();
    return 0;
}
