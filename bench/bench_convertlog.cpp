// The log conversion of a full log image against phone books of different sizes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <map>
#include <memory>

#include "support/logimagebytes.h"
#include "support/testapp.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"

namespace {

QString telOf(int i) {
    return QStringLiteral("03%1").arg(i, 8, 10, QLatin1Char('0'));
}

// The most entries an image holds: 215 of the smallest size, all without a number. One record
// has no number either, so every entry is looked up, matched and written back.
QByteArray densestImage() {
    QByteArray bytes;
    for (int i = 0; i < 215; ++i) {
        bytes += logEntryBytes({1, 1, 990000, 990000 + i, 10, {}, {}});
    }
    return bytes;
}

// A full log of ten-digit numbers (126 entries), every other one in the phone book.
QByteArray numbersImage(int bookSize) {
    QByteArray bytes;
    for (int i = 0; i < 126; ++i) {
        const int person = i % 2 == 0 ? (i * 7919) % bookSize : bookSize + i;
        bytes += logEntryBytes({1, 1, 990000, 990000 + i, 10, telOf(person).toLatin1(), {}});
    }
    return bytes;
}

struct Book {
    explicit Book(int size) {
        t.start();
        db::PhoneBookTable& users = t.app->windows.mainMenu->phoneBookTable;
        users.beginBatch();
        for (int i = 0; i < size; ++i) {
            db::UserRecord r;
            r.name = QStringLiteral("利用者%1").arg(i, 6, 10, QLatin1Char('0'));
            r.yomi = QStringLiteral("りようしゃ%1").arg(i);
            r.tel = telOf(i);
            r.tel2 = r.tel;
            r.address = QStringLiteral("東京都千代田区");
            users.append(r);
        }
        db::UserRecord noNumber;
        noNumber.name = QStringLiteral("番号なし");
        users.append(noNumber);
        users.commitBatch();
        // The phone book list's grid holds a model of the table, as in the program.
        users.model();
    }
    TestApp t;
};

// Kept across benchmarks, since filling 100,000 records takes a while; emptied before the
// application object goes.
std::map<int, std::unique_ptr<Book>>& books() {
    static std::map<int, std::unique_ptr<Book>> all;
    return all;
}

Book& bookOf(int size) {
    auto& book = books()[size];
    if (!book) {
        book = std::make_unique<Book>(size);
    }
    return *book;
}

void run(benchmark::State& state, const QByteArray& image, int bookSize) {
    Book& book = bookOf(bookSize);
    Application& app = *book.t.app;
    for (auto _ : state) {
        putLogImage(app.state, image);
        app.logImport.importHeld();
    }
    state.counters["rows"] = app.callLogTable.rowCount();
}

void BM_ConvertLogDensest(benchmark::State& state) {
    run(state, densestImage(), static_cast<int>(state.range(0)));
}

void BM_ConvertLogNumbers(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    run(state, numbersImage(size), size);
}

}  // namespace

BENCHMARK(BM_ConvertLogDensest)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertLogNumbers)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    books().clear();
    return 0;
}
