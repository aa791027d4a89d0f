#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "adapter/devicelink.h"
#include "rules/csv.h"
#include "rules/logtexts.h"
#include "support/logimagebytes.h"
#include "support/simrun.h"
#include "ui/sjis.h"
#include "windows/archivemodel.h"
#include "windows/archivewindow.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"
#include "windows/phonebookwindow.h"
#include "windows/statisticswindow.h"

namespace {

// A program whose adapter holds the simulator's ten calls.
struct Run : SimRun {
    Run() { startAtMenu(); }

    void download() {
        t.app->windows.mainMenu->callLogButton->click();
        t.clock.advance(8000);
    }
    int64_t archived() { return t.app->callArchive.totals({}).count; }
    ArchiveWindow* window() { return t.app->windows.archive; }
    QStringList column(int field) {
        QStringList out;
        const QAbstractItemModel* m = window()->grid->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            out << m->index(r, field).data().toString();
        }
        return out;
    }
    QByteArray exported(int fileType) {
        const QString path = t.filePath(QStringLiteral("out.csv"));
        t.dialogs.fileNames << path;
        t.dialogs.chosenFilters << fileType;
        window()->exportButton->click();
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

}  // namespace

class ArchiveWindowTest : public QObject {
    Q_OBJECT
private slots:
    void downloadsAddTheirCallsOnceAndHistoryFilesNothing() {
        Run r;
        r.download();
        const int calls = static_cast<int>(r.adapter.config().calls.size());
        QCOMPARE(r.archived(), calls);
        // The same log again, then a log with one new call: only that call is added.
        r.t.app->windows.callLog->reloadButton->click();
        r.t.clock.advance(8000);
        QCOMPARE(r.archived(), calls);
        hgsim::SimCall extra = r.adapter.config().calls.front();
        extra.start = extra.start.addDays(9);
        r.adapter.config().calls.push_back(extra);
        r.t.app->windows.callLog->reloadButton->click();
        r.t.clock.advance(8000);
        QCOMPARE(r.archived(), calls + 1);
        // A loaded history file converts but is no download.
        putLogImage(r.t.app->state, logEntryBytes({1, 1, 99000, 99060, 0, "0999999999", {}}));
        r.t.app->nav().callLogChanged();
        QCOMPARE(r.archived(), calls + 1);
    }

    void windowShowsNamesSearchesFiltersAndExports() {
        Run r;
        db::UserRecord person;
        person.name = QStringLiteral("=山田,\"太郎\"");
        person.yomi = QStringLiteral("ﾔﾏﾀﾞ");
        person.tel = person.tel2 = QStringLiteral("0451112222");
        r.t.app->phoneBookTable.append(person);
        r.download();
        r.t.app->windows.callLog->archiveButton->click();
        QVERIFY(r.window()->isVisible());
        QVERIFY(!r.t.app->windows.callLog->isVisible());
        QCOMPARE(r.column(4).size(), 10);
        // Newest first: the last call of the simulator's list is the top row.
        QCOMPARE(r.column(7).first(), QStringLiteral("2026/12/07 16:40"));
        // The totals follow once the first rows are on screen.
        QCOMPARE(r.window()->statusLine->text(), QStringLiteral("集計中…"));
        r.t.clock.advance(ArchiveWindow::TotalsDelayMs);
        QVERIFY(r.window()->statusLine->text().startsWith(QStringLiteral("10 件")));

        // A record renamed after the download shows its new name when the window shows again.
        r.t.app->phoneBookTable.setIndex(db::PhoneBookTable::Index::Yomi);
        QVERIFY(r.t.app->phoneBookTable.gotoName(person.name));
        person.name = QStringLiteral("=山田,\"次郎\"");
        r.t.app->phoneBookTable.post(person);
        r.window()->showArchive();
        QCOMPARE(r.column(3).count(person.name), 2);

        // The search waits for a pause in typing, then finds by reading or by digits.
        r.window()->searchBox->setText(QStringLiteral("ﾔﾏ"));
        emit r.window()->searchBox->textEdited(r.window()->searchBox->text());
        QCOMPARE(r.column(4).size(), 10);
        r.t.clock.advance(ArchiveWindow::SearchPauseMs);
        QCOMPARE(r.column(4), QStringList(2, QStringLiteral("045-111-2222")));
        // Numbers written in any way, and places, find their calls.
        for (const char* typed : {"0312-345", "+81 3-1234-5678", "03(1234)5678"}) {
            r.window()->searchBox->setText(QString::fromUtf8(typed));
            r.window()->applyFilters();
            QCOMPARE(r.column(4), (QStringList{QStringLiteral("03-1234-5678*3"),
                                               QStringLiteral("03-1234-5678")}));
        }
        r.window()->searchBox->setText(QStringLiteral("大阪"));
        r.window()->applyFilters();
        QCOMPARE(r.column(4), QStringList{QStringLiteral("06-6777-8888")});
        QCOMPARE(r.column(ArchiveModel::PlaceColumn), QStringList{QStringLiteral("大阪")});
        r.window()->searchBox->setText(QStringLiteral("携帯電話"));
        r.window()->applyFilters();
        QCOMPARE(r.column(4), QStringList{QStringLiteral("090-1234-5678")});
        r.window()->searchBox->clear();
        r.window()->kindBox->setCurrentIndex(3);  // 留守
        QCOMPARE(r.column(2), QStringList(2, QStringLiteral("▽留守")));
        // A message has no call time of its own to add.
        r.t.clock.advance(ArchiveWindow::TotalsDelayMs);
        QVERIFY(r.window()->statusLine->text().contains(QStringLiteral("通話時間 0:00:00")));
        r.window()->kindBox->setCurrentIndex(0);
        r.window()->portBox->setCurrentIndex(3);  // ports 4 to 7 use port 3
        QCOMPARE(r.column(4).size(), 4);
        r.window()->portBox->setCurrentIndex(0);
        r.window()->fromDate->setDate(QDate(2026, 12, 2));
        r.window()->toDate->setDate(QDate(2026, 12, 3));
        r.window()->dateRangeBox->setChecked(true);
        QCOMPARE(r.column(7), (QStringList{QStringLiteral("2026/12/03 19:45"),
                                           QStringLiteral("2026/12/02 14:22"),
                                           QStringLiteral("2026/12/02 08:00")}));
        r.t.clock.advance(ArchiveWindow::TotalsDelayMs);
        QCOMPARE(r.window()->statusLine->text(),
                 QStringLiteral("3 件　通話時間 1:12:45　料金 290 円"));

        // The export writes the rows shown: the byte-order mark, then quoted and guarded cells.
        r.window()->dateRangeBox->setChecked(false);
        r.window()->searchBox->setText(QStringLiteral("0451112222"));
        r.window()->applyFilters();
        const QByteArray utf8 = r.exported(0);
        QVERIFY(utf8.startsWith("\xEF\xBB\xBF"));
        QList<QStringList> rows = rules::csv::read(utf8);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][2], QStringLiteral("氏名"));
        QCOMPARE(rows[1][2], person.name);
        QCOMPARE(rows[1][4], QStringLiteral("2026/12/07 16:40"));
        // The number as the archive holds it, and its place in a last column.
        QCOMPARE(rows[1][3], QStringLiteral("0451112222"));
        QCOMPARE(rows[0].last(), QStringLiteral("地域"));
        QCOMPARE(rows[1].last(), QStringLiteral("横浜"));
        QVERIFY(utf8.contains("\"'=山田,\"\"次郎\"\"\""));
        const QByteArray cp932 = r.exported(1);
        QVERIFY(cp932.contains(ui::sjis::fromUnicode(QStringLiteral("\"'=山田,\"\"次郎\"\"\""))));
        QCOMPARE(rules::csv::read(cp932), rows);

        // The phone book's export: its text fields, no picture.
        const QString bookPath = r.t.filePath(QStringLiteral("book.csv"));
        r.t.dialogs.fileNames << bookPath;
        r.t.app->windows.phoneBook->csvExportClicked();
        QFile book(bookPath);
        QVERIFY(book.open(QIODevice::ReadOnly));
        rows = rules::csv::read(book.readAll());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].size(), 11);
        QCOMPARE(rows[1][0], person.name);

        r.window()->closeButton->click();
        QVERIFY(r.t.app->windows.callLog->isVisible());
    }

    void statisticsChartTheCallsOfTheDateRange() {
        Run r;
        db::UserRecord person;
        person.name = QStringLiteral("山田");
        person.tel = person.tel2 = QStringLiteral("0451112222");
        r.t.app->phoneBookTable.append(person);
        r.download();
        r.t.app->windows.callLog->archiveButton->click();
        r.window()->statisticsButton->click();
        StatisticsWindow* s = r.window()->statisticsWindow;
        QVERIFY(s && s->isVisible());
        // Without a date range: the year up to the newest call.
        QCOMPARE(s->fromDate->date(), QDate(2026, 1, 1));
        QCOMPARE(s->toDate->date(), QDate(2026, 12, 31));
        const auto bars = [](QChartView* view) {
            return qobject_cast<QBarSeries*>(view->chart()->series().first())->barSets();
        };
        const QList<QBarSet*> kinds = bars(s->callsChart);
        QCOMPARE(kinds.size(), 4);
        QCOMPARE(kinds[0]->count(), 12);
        // December as the archive's own filter counts it, call by call.
        const QStringList kindTexts{rules::KindColumnTexts[1], rules::KindColumnTexts[2],
                                    rules::AnsweringMachineText};
        qreal december = kinds[3]->at(11);
        for (int k = 0; k < 3; ++k) {
            db::ArchiveQuery q;
            q.kindText = kindTexts[k];
            QCOMPARE(kinds[k]->at(11), static_cast<qreal>(r.t.app->callArchive.totals(q).count));
            QCOMPARE(kinds[k]->at(10), 0.0);
            december += kinds[k]->at(11);
        }
        QCOMPARE(december, 10.0);
        QCOMPARE(kinds[3]->at(11), 4.0);  // call-back, relayed, forwarded, unknown
        QCOMPARE(bars(s->chargesChart)[0]->at(11),
                 static_cast<qreal>(r.t.app->callArchive.totals({}).charge));
        const QList<QTableWidgetItem*> named =
            s->mostCallsTable->findItems(QStringLiteral("045-111-2222"), Qt::MatchExactly);
        QCOMPARE(named.size(), 1);
        QCOMPARE(s->mostCallsTable->item(named[0]->row(), 1)->text(), person.name);
        QCOMPARE(s->mostCallsTable->item(named[0]->row(), 2)->text(), QStringLiteral("2"));
        QCOMPARE(s->mostCallsTable->item(named[0]->row(), 4)->text(), QStringLiteral("横浜"));

        // The archive's date range carries over; both ends may cut a month.
        r.window()->fromDate->setDate(QDate(2026, 12, 2));
        r.window()->toDate->setDate(QDate(2026, 12, 3));
        r.window()->dateRangeBox->setChecked(true);
        r.window()->statisticsButton->click();
        QCOMPARE(bars(s->chargesChart)[0]->count(), 1);
        QCOMPARE(bars(s->chargesChart)[0]->at(0), 290.0);
        s->toDate->setDate(QDate(2026, 12, 2));
        QCOMPARE(bars(s->callsChart)[0]->at(0), 1.0);  // 12/02 08:00, and a call-back
        QCOMPARE(bars(s->callsChart)[3]->at(0), 1.0);

        r.window()->closeButton->click();
        QVERIFY(!s->isVisible());
    }

    void menuItemAfterTheSpecifiedOnesReturnsToTheMenu() {
        Run r;
        const QList<QAction*> items =
            r.t.app->windows.mainMenu->mainMenuBar->actions().first()->menu()->actions();
        // After the separator, before the backups' item, データの保存先 and 終了.
        QCOMPARE(items.indexOf(r.t.app->windows.mainMenu->archiveAction) + 3,
                 items.indexOf(r.t.app->windows.mainMenu->exitAction));
        r.t.app->windows.mainMenu->archiveAction->trigger();
        QVERIFY(r.window()->isVisible());
        QVERIFY(!r.t.app->windows.mainMenu->isVisible());
        QCOMPARE(r.column(4).size(), 0);
        r.window()->close();
        QVERIFY(r.t.app->windows.mainMenu->isVisible());
    }
};

QTEST_MAIN(ArchiveWindowTest)
#include "archivewindow_test.moc"
