// Phone book speed with 100,000 records, in the file or, when PGHOST and the other libpq variables
// name a server, in a database of its own there: opening the list from the menu, scrolling it, and
// the look-up by number that the log conversion and the dial pad make.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <memory>
#include <random>

#include "support/testapp.h"
#include "support/testserver.h"
#include "windows/mainmenuwindow.h"
#include "windows/phonebookwindow.h"

namespace {

constexpr int Records = 100000;

QString numberOf(int i) {
    return QStringLiteral("03%1").arg(i * 7 + 1000000, 8, 10, QChar(u'0'));
}

// The run the benchmarks share; released before the application object, whose windows it holds.
std::unique_ptr<TestApp> sharedApp;
std::unique_ptr<TestServerDatabase> server;

// One run of the program with a full phone book, made once for all benchmarks.
TestApp& fullApp() {
    std::unique_ptr<TestApp>& t = sharedApp;
    if (!t) {
        t = std::make_unique<TestApp>();
        if (TestServerDatabase::serverGiven()) {
            server = std::make_unique<TestServerDatabase>();
            t->writeSettings(server->settingsFileSection());
        }
        t->start();
        t->clock.advance(2000);
        db::PhoneBookTable& table = t->app->windows.mainMenu->phoneBookTable;
        std::mt19937 random(5);
        const QString kana = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねの");
        table.beginBatch();
        for (int i = 0; i < Records; ++i) {
            db::UserRecord r;
            r.name = QStringLiteral("氏名%1").arg(i);
            for (int k = 0; k < 6; ++k) {
                r.yomi += kana[static_cast<int>(random() % kana.size())];
            }
            r.tel = numberOf(i);
            r.tel2 = r.tel;
            r.address = QStringLiteral("東京都千代田区%1丁目").arg(i % 50);
            table.append(r);
        }
        table.commitBatch();
        if (server) {
            server->settle();
        }
    }
    return *t;
}

// From the menu, after a look-up left the phone book ordered by number: the list re-sorts by
// reading and shows its first rows.
void BM_PhoneBookOpen(benchmark::State& state) {
    TestApp& t = fullApp();
    MainMenuWindow* main = t.app->windows.mainMenu;
    PhoneBookWindow* list = t.app->windows.phoneBook;
    for (auto _ : state) {
        state.PauseTiming();
        list->hide();
        main->phoneBookTable.setIndex(db::PhoneBookTable::Index::Tel2);
        main->phoneBookTable.first();
        state.ResumeTiming();
        main->phoneBookClicked();
    }
    state.counters["rows_read"] = main->phoneBookTable.model()->rowsRead();
    state.counters["records"] = main->phoneBookTable.recordCount();
}
BENCHMARK(BM_PhoneBookOpen)->Unit(benchmark::kMillisecond)->Iterations(20);

// Scrolling down the list a page at a time: each page is read once, along the index from the
// page before it.
void BM_PhoneBookScroll(benchmark::State& state) {
    TestApp& t = fullApp();
    PhoneBookWindow* list = t.app->windows.phoneBook;
    t.app->windows.mainMenu->phoneBookClicked();
    QScrollBar* bar = list->grid->verticalScrollBar();
    const db::PagedRowsModel* model = t.app->phoneBookTable.model();
    const int before = model->rowsRead();
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep());
        QCoreApplication::processEvents();  // the grid paints the rows now in view
    }
    state.counters["rows_per_scroll"] =
        static_cast<double>(model->rowsRead() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PhoneBookScroll)->Unit(benchmark::kMicrosecond)->Iterations(50);

// Coming back from the editor to a record in the middle of the reading order: only the rows
// around it are read.
void BM_PhoneBookReturnToMiddle(benchmark::State& state) {
    TestApp& t = fullApp();
    PhoneBookWindow* list = t.app->windows.phoneBook;
    db::PhoneBookTable& table = t.app->windows.mainMenu->phoneBookTable;
    for (auto _ : state) {
        state.PauseTiming();
        list->hide();
        table.setIndex(db::PhoneBookTable::Index::Tel2);
        table.setIndex(db::PhoneBookTable::Index::Yomi);  // a fresh grid with its first page only
        table.gotoRow(Records / 2);
        state.ResumeTiming();
        list->show();
        QCoreApplication::processEvents();  // and paints the rows in view
    }
    state.counters["rows_read"] = table.model()->rowsRead();
    state.counters["selected_row"] = list->grid->currentIndex().row();
}
BENCHMARK(BM_PhoneBookReturnToMiddle)->Unit(benchmark::kMillisecond)->Iterations(10);

// The number look-up: order by 電話番号２ and go to the key, hit or miss.
void BM_LookupByNumber(benchmark::State& state) {
    TestApp& t = fullApp();
    db::PhoneBookTable& table = t.app->windows.mainMenu->phoneBookTable;
    table.setIndex(db::PhoneBookTable::Index::Tel2);
    std::mt19937 random(7);
    const bool hit = state.range(0) == 1;
    int found = 0;
    for (auto _ : state) {
        const int i = static_cast<int>(random() % Records);
        const QString key = hit ? numberOf(i) : numberOf(i) + QStringLiteral("9");
        found += table.findKey(key) ? 1 : 0;
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_LookupByNumber)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sharedApp.reset();
    server.reset();
    return 0;
}
