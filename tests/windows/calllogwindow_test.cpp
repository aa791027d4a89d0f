#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "adapter/devicelink.h"
#include "support/logimagebytes.h"
#include "support/simrun.h"
#include "ui/gauge.h"
#include "windows/calllogwindow.h"
#include "windows/confirmationwindow.h"
#include "windows/dialpad.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"

namespace {

constexpr int HistoryBytes = 4000;

QByteArray entries(std::initializer_list<TestLogEntry> list) {
    QByteArray out;
    for (const TestLogEntry& e : list) {
        out.append(logEntryBytes(e));
    }
    return out;
}

// Two outgoing calls, one incoming, one message on the answering machine and one CB call.
const QByteArray Mixed = entries({{1, 1, 1000, 1065, 30, "0312345678", {}},
                                  {2, 2, 2000, 2100, 0, "0451112222", {}},
                                  {1, 1, 3000, 3600, 80, "0663334444", "12"},
                                  {1, 2, 0, 4000, 0, "0725556666", {}},
                                  {3, 3, 5000, 5010, 10, "0117778888", {}}});
// Another log of three calls, to tell the two apart.
const QByteArray Other = entries({{4, 2, 7000, 7100, 5, "0990001111", {}},
                                  {1, 1, 8000, 8030, 0, "0990002222", {}},
                                  {2, 2, 9000, 9005, 0, "0990003333", {}}});

// The call log window showing the mixed log, with the simulated adapter on COM1.
struct Window : SimRun {
    Window() {
        startAtMenu();
        putLogImage(t.app->state, Mixed);
        t.app->windows.mainMenu->hide();
        form = t.app->windows.callLog;
        t.app->nav().callLogChanged();
        form->show();
    }

    QStringList column(int field) {
        QStringList out;
        const QAbstractItemModel* m = form->grid->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            out << m->index(r, field).data().toString();
        }
        return out;
    }
    QStringList kinds() { return column(2); }
    QList<QStringList> rows() {
        QList<QStringList> out;
        for (int r = 0; r < t.app->windows.mainMenu->callLogTable.rowCount(); ++r) {
            const db::LogRow row = t.app->windows.mainMenu->callLogTable.row(r);
            out << QStringList{row.logNo,  row.ports,    row.kind,   row.name,
                               row.number, row.duration, row.charge, row.callTime};
        }
        return out;
    }
    QByteArray history() {
        return QByteArray(reinterpret_cast<const char*>(t.app->state.logImage.bytes().data()),
                          HistoryBytes);
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = t.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            return QString();
        }
        return path;
    }

    CallLogWindow* form = nullptr;
};

}  // namespace

class CallLogWindowTest : public QObject {
    Q_OBJECT
private slots:
    void gridColumns() {
        Window w;
        const QTableView* grid = w.form->grid;
        const QHeaderView* header = grid->horizontalHeader();
        QVERIFY(grid->isColumnHidden(0));
        const QStringList titles{"ポート",   "通話方法", "氏  名",  "電話番号",
                                 "通話時刻", "通話時間", "利用料金"};
        const QList<int> widths{38, 58, 126, 118, 93, 65, 60};
        const QList<Qt::Alignment> aligned{Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignLeft,
                                           Qt::AlignLeft,    Qt::AlignHCenter, Qt::AlignHCenter,
                                           Qt::AlignRight};
        for (int i = 0; i < titles.size(); ++i) {
            const int field = header->logicalIndex(i + 1);
            QCOMPARE(grid->model()->headerData(field, Qt::Horizontal).toString(), titles[i]);
            QCOMPARE(grid->columnWidth(field), widths[i]);
            const auto alignment =
                grid->model()->index(0, field).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
            QCOMPARE(alignment & Qt::AlignHorizontal_Mask, aligned[i]);
        }
        // The time column shows the time of the call, not the duration.
        QCOMPARE(grid->model()->index(0, header->logicalIndex(6)).data().toString(),
                 QStringLiteral("00:01:05"));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->selectionMode(), QAbstractItemView::SingleSelection);

        // The number's tooltip says where it comes from; other columns have none.
        const auto tipAt = [grid](int row, int field) {
            const QPoint at = grid->visualRect(grid->model()->index(row, field)).center();
            QHelpEvent tip(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
            QApplication::sendEvent(grid->viewport(), &tip);
            return QToolTip::text();
        };
        const int osaka = static_cast<int>(w.column(4).indexOf(QStringLiteral("0663334444*12")));
        QVERIFY(osaka >= 0);
        QCOMPARE(tipAt(osaka, 3), QString());
        QCOMPARE(tipAt(osaka, 4), QStringLiteral("06-6333-4444*12　大阪"));
    }

    void filters_data() {
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<int>("mode");
        const QStringList all{"▲発信", "▽着信", "▲発信", "▽留守", "ＣＢ"};
        QTest::newRow("全表示") << QList<int>{1} << "全て表示する" << all << 7;
        QTest::newRow("留守番") << QList<int>{2} << "留守番だけ表示" << QStringList{"▽留守"} << 2;
        QTest::newRow("発信") << QList<int>{3} << "発信だけ表示" << QStringList{"▲発信", "▲発信"}
                              << 0;
        QTest::newRow("着信") << QList<int>{4} << "着信だけ表示" << QStringList{"▽着信"} << 1;
        QTest::newRow("発信 then 着信")
            << QList<int>{3, 4} << "着信だけ表示" << QStringList{"▽着信"} << 1;
        QTest::newRow("着信 then 全表示") << QList<int>{4, 1} << "全て表示する" << all << 1;
    }
    void filters() {
        QFETCH(QList<int>, buttons);
        Window w;
        w.t.app->state.logFilterMode = 7;
        const QList<QPushButton*> byNumber{nullptr, w.form->showAllButton,
                                           w.form->answeringMachineButton, w.form->outgoingButton,
                                           w.form->incomingButton};
        for (int b : buttons) {
            byNumber[b]->click();
        }
        QTEST(w.form->filterPanel->text(), "panel");
        QTEST(w.kinds(), "kinds");
        QTEST(w.t.app->state.logFilterMode, "mode");
        QVERIFY(w.form->grid->selectionModel()->isRowSelected(0, {}));
    }

    void clearTheAdaptersLog_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void clearTheAdaptersLog() {
        QFETCH(bool, yes);
        Window w;
        ConfirmationWindow* confirm = w.t.app->windows.confirmation;
        w.form->clearLogButton->click();
        QVERIFY(!w.form->isEnabled());
        QCOMPARE(w.t.app->windows.confirmation->action(), 2);
        QVERIFY(confirm->isVisible());
        QCOMPARE(confirm->firstLine->text(), QStringLiteral("ＨＧ内の通信記録を空に"));
        QCOMPARE(confirm->secondLine->text(), QStringLiteral("しますか？"));
        (yes ? confirm->yesButton : confirm->noButton)->click();
        QVERIFY(!confirm->isVisible());
        QVERIFY(w.form->isEnabled());
        if (yes) {
            QCOMPARE(w.commands(), QList<QByteArray>{"AT\\L3\r"});
            QCOMPARE(w.t.app->state.logImage.bytes()[0], 0);
            QCOMPARE(w.kinds(), QStringList());
            QCOMPARE(w.form->totalPanel->text(), QStringLiteral("0 円 "));
            QCOMPARE(w.form->countPanel->text(), QStringLiteral("0 件"));
            QCOMPARE(w.form->memoryGauge->progress(), 0);
        } else {
            QVERIFY(w.commands().isEmpty());
            QCOMPARE(w.kinds().size(), 5);
            QVERIFY(!w.portOpen());
        }
    }

    // While the archive cannot be used the window says so, and clearing the log warns that the
    // calls were never archived.
    void archiveThatCannotBeUsedIsSaid() {
        Window w;
        QVERIFY(!w.form->archiveNotice->isVisible());
        w.t.app->callArchive.close();
        w.t.app->nav().callLogChanged();
        QVERIFY(w.form->archiveNotice->isVisible());
        QVERIFY(w.form->archiveNotice->text().contains(QStringLiteral("保存されません")));
        w.form->clearLogButton->click();
        ConfirmationWindow* confirm = w.t.app->windows.confirmation;
        QCOMPARE(confirm->secondLine->text(), QStringLiteral("※通話履歴に未保存の通話も消えます"));
        confirm->noButton->click();
        QVERIFY(w.commands().isEmpty());
    }

    void saveThenLoadGivesTheSameRows() {
        Window w;
        std::vector<uint8_t> tail(HistoryBytes);
        for (int i = 0; i < HistoryBytes; ++i) {
            tail[static_cast<size_t>(i)] =
                i < 3086 ? w.t.app->state.logImage.bytes()[static_cast<size_t>(i)]
                         : static_cast<uint8_t>(i);
        }
        w.t.app->state.logImage.hold(tail);
        const QList<QStringList> before = w.rows();
        const QByteArray saved = w.history();
        w.t.dialogs.fileNames << w.t.filePath(QStringLiteral("history"));
        w.form->saveHistoryButton->click();
        const ui::FileDialogRequest save = w.t.dialogs.fileRequests.takeLast();
        QCOMPARE(save.filter, QStringLiteral("LOG履歴データ (*.tas)"));
        QCOMPARE(save.defaultName, QStringLiteral("logdat0"));
        QCOMPARE(save.defaultExt, QStringLiteral("tas"));
        QFile file(w.t.filePath(QStringLiteral("history.tas")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);

        putLogImage(w.t.app->state, Other);
        w.t.app->nav().callLogChanged();
        QCOMPARE(w.rows().size(), 3);
        w.t.dialogs.fileNames << file.fileName();
        w.form->loadHistoryButton->click();
        const ui::FileDialogRequest open = w.t.dialogs.fileRequests.takeLast();
        QCOMPARE(open.filter, QStringLiteral("LOG履歴データ (*.TAS)"));
        QCOMPARE(open.defaultName, QStringLiteral("logdat0"));
        QCOMPARE(w.rows(), before);
        QCOMPARE(w.history(), saved);
        QVERIFY(w.t.dialogs.errors.isEmpty());
    }

    // A file overwrites as many bytes as it has, up to 4000, and the log is converted again.
    void loadCopiesTheFilesBytes_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << 0 << 5;
        QTest::newRow("3086 bytes") << 3086 << 3;
        QTest::newRow("4000 bytes") << 4000 << 3;
        QTest::newRow("5000 bytes") << 5000 << 3;
    }
    void loadCopiesTheFilesBytes() {
        QFETCH(int, size);
        Window w;
        appstate::ProgramState& s = w.t.app->state;
        std::vector<uint8_t> bytes(s.logImage.bytes().begin(), s.logImage.bytes().end());
        for (size_t i = 3086; i < bytes.size(); ++i) {
            bytes[i] = 0x5a;
        }
        s.logImage.hold(bytes);
        const QByteArray held = w.history();
        QByteArray file = Other;
        file.append('\0');
        while (file.size() < size) {
            file.append(static_cast<char>(file.size() % 200 + 1));
        }
        file.truncate(size);
        w.t.dialogs.fileNames << w.writeFile(QStringLiteral("x.TAS"), file);
        w.t.app->windows.mainMenu->callLogTable.createTable();
        w.form->loadHistoryButton->click();

        const QByteArray expected =
            file.left(HistoryBytes) + held.mid(file.left(HistoryBytes).size());
        QCOMPARE(w.history(), expected);
        QCOMPARE(s.logImage.bytes()[HistoryBytes], 0x5a);
        QTEST(static_cast<int>(w.rows().size()), "rows");
        QVERIFY(w.t.dialogs.errors.isEmpty());
    }

    void fileThatCannotBeReadChangesNothing_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << QStringLiteral("/nonexistent/logdat0.TAS");
        QTest::newRow("folder") << QDir::tempPath();
        QTest::newRow("read fails") << QStringLiteral("/proc/self/mem");
    }
    void fileThatCannotBeReadChangesNothing() {
        QFETCH(QString, path);
        Window w;
        const QByteArray held = w.history();
        w.t.app->windows.mainMenu->callLogTable.createTable();
        w.t.dialogs.fileNames << path;
        w.form->loadHistoryButton->click();
        QCOMPARE(w.t.dialogs.errors.size(), 1);
        QVERIFY(w.t.dialogs.errors.first().contains(path));
        QCOMPARE(w.history(), held);
        QCOMPARE(w.rows().size(), 0);
    }

    void saveThatFailsIsTold() {
        Window w;
        w.t.dialogs.fileNames << QStringLiteral("/nonexistent/logdat0.tas");
        w.form->saveHistoryButton->click();
        QCOMPARE(w.t.dialogs.errors.size(), 1);
        QVERIFY(!QFile::exists(QStringLiteral("/nonexistent/logdat0.tas")));
    }

    // Overwriting a file in a folder that takes no new file writes it in place.
    void saveOverAFileInAClosedFolder() {
        Window w;
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("logdat0.tas"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(QByteArray(HistoryBytes, 'o')), HistoryBytes);
        file.close();
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0666), 0);
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
        // Root ignores folder permissions: this thread's file accesses are checked as nobody's.
        const bool root = ::geteuid() == 0;
        if (root) {
            ::setfsuid(65534);
        }
        QFile probe(QDir(dir.path()).filePath(QStringLiteral("probe")));
        const bool folderTakesFiles = probe.open(QIODevice::WriteOnly);
        w.t.dialogs.fileNames << path;
        w.form->saveHistoryButton->click();
        if (root) {
            ::setfsuid(0);
        }
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
        if (folderTakesFiles) {
            QSKIP("cannot make a folder refuse new files here");
        }
        QVERIFY2(w.t.dialogs.errors.isEmpty(), qPrintable(w.t.dialogs.errors.join('\n')));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), w.history());
    }

    void cancelledDialogsDoNothing() {
        Window w;
        const QByteArray held = w.history();
        w.form->loadHistoryButton->click();
        w.form->saveHistoryButton->click();
        QCOMPARE(w.t.dialogs.fileRequests.size(), 2);
        QCOMPARE(w.history(), held);
        QVERIFY(w.t.dialogs.errors.isEmpty());
        QVERIFY(QDir(w.t.folder()).entryList({QStringLiteral("*.tas")}).isEmpty());
    }

    void historyButtonsAppearOnDoubleClick() {
        Window w;
        QVERIFY(!w.form->loadHistoryButton->isVisible());
        QVERIFY(!w.form->saveHistoryButton->isVisible());
        QTest::mouseDClick(w.form->memoryLabel, Qt::LeftButton);
        QVERIFY(w.form->loadHistoryButton->isVisible());
        QVERIFY(w.form->saveHistoryButton->isVisible());
    }

    void dialTheSelectedRow() {
        Window w;
        w.form->grid->selectRow(2);
        w.form->dialButton->click();
        QVERIFY(!w.form->isVisible());
        const appstate::ProgramState& s = w.t.app->state;
        QCOMPARE(w.t.app->nav().returnsTo(), Navigation::Opener::CallLog);
        QVERIFY(w.t.app->link.dial().dialsOnOpen());
        QCOMPARE(s.dialNumber.bytes(), QByteArray("0663334444*12"));
        QVERIFY(w.t.app->link.dial().prologueTimer().running());
    }

    void closeShowsTheMenuAndHelpOpensContextOne() {
        Window w;
        w.form->helpButton->click();
        QCOMPARE(w.t.help.requests, QStringList{"context 1"});
        w.form->closeButton->click();
        QVERIFY(!w.form->isVisible());
        QVERIFY(w.t.app->windows.mainMenu->isVisible());
    }

    void rereadDownloadsAgain() {
        Window w;
        w.form->reloadAction->trigger();
        QVERIFY(!w.form->isVisible());
        QCOMPARE(w.commands(), QList<QByteArray>{"AT\\T1/9*03\r"});
        QVERIFY(w.t.app->link.download().stepTimer().running());
    }
};

QTEST_MAIN(CallLogWindowTest)
#include "calllogwindow_test.moc"
