#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "db/phonebooktable.h"
#include "protocol/secondsscale.h"
#include "rules/numberreader.h"
#include "support/testapp.h"
#include "windows/phonebookwindow.h"
#include "windows/printinputs.h"

namespace {

const QDateTime PrintedAt(QDate(2026, 12, 9), QTime(6, 0));

db::ArchivedCall archivedCall(int i) {
    db::ArchivedCall c;
    c.startSeconds = 1000 * i;
    c.portSet = 1;
    c.callKind = 1;
    c.number = QStringLiteral("0331%1").arg(i, 6, 10, QLatin1Char('0'));
    c.durationSeconds = 60;
    c.charge = 10;
    c.moment = protocol::adapterSecondsOf(QDateTime(QDate(2026, 11, 1), QTime(9, 0))) + 600 * i;
    c.row = {QString::number(i),
             QStringLiteral("1"),
             QStringLiteral("▲発信"),
             QString(),
             c.number,
             QStringLiteral("00:01:00"),
             QStringLiteral("10 円"),
             QStringLiteral("11/01 09:00")};
    return c;
}

// The text of a PDF as poppler reads it back, laid out as printed, on one line.
QString pdfText(const QString& path) {
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"),
                 {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0) {
        qWarning() << "pdftotext failed:" << reader.readAllStandardError();
        return {};
    }
    // The columns' spacing, and the full-width spaces, come back as runs of spaces.
    return QString::fromUtf8(reader.readAllStandardOutput()).simplified();
}

QString writtenText(const PrintInput& input, const QString& path) {
    QString failure;
    if (!writePdf(input, path, &failure)) {
        qWarning() << failure;
        return {};
    }
    return pdfText(path);
}

}  // namespace

class PrintoutTest : public QObject {
    Q_OBJECT
private slots:
    void archiveOfThreePages();
    void callLogAndPhoneBook();
    void phoneBookWindowPrintsThroughThePreview();
    void unwritablePathFails();
};

void PrintoutTest::archiveOfThreePages() {
    QTemporaryDir dir;
    db::CallArchive archive(dir.path(), protocol::monthOfMoment);
    archive.open();
    std::vector<db::ArchivedCall> calls;
    for (int i = 1; i <= 80; ++i) {
        calls.push_back(archivedCall(i));
    }
    archive.add(calls, PrintedAt);
    db::PhoneBookTable phoneBook(dir.path());
    phoneBook.createTable();
    phoneBook.open();
    db::UserRecord known;
    known.name = QStringLiteral("山田太郎");
    known.yomi = QStringLiteral("ﾔﾏﾀﾞ");
    known.tel2 = QStringLiteral("0331000005");
    known.tel = QStringLiteral("03-3100-0005");
    phoneBook.append(known);
    const rules::NumberReader numbers;

    db::ArchiveQuery query;
    query.kindText = QStringLiteral("▲発信");
    const PrintInput input =
        archivePrintInput(archive, query, phoneBook, numbers, QStringLiteral("03"), PrintedAt);
    QCOMPARE(input.orientation, QPageLayout::Landscape);
    const QString text = writtenText(input, dir.filePath(QStringLiteral("archive.pdf")));
    QVERIFY2(!text.isEmpty(), "no text read back");

    for (const QString& expected :
         {QStringLiteral("通話履歴"), QStringLiteral("通話方法 ▲発信"),
          QStringLiteral("検索「03」"), QStringLiteral("印刷日 2026/12/09 06:00"),
          QStringLiteral("地域"),
          // Newest first, names from the phone book, numbers with hyphens and their place.
          QStringLiteral("山田太郎"), QStringLiteral("東京"), QStringLiteral("03-3100-0080"),
          QStringLiteral("03-3100-0001"), QStringLiteral("合計 80 件 通話時間 1:20:00 料金 800 円"),
          QStringLiteral("1 / 3"), QStringLiteral("2 / 3"), QStringLiteral("3 / 3")}) {
        QVERIFY2(text.contains(expected), qPrintable(expected));
    }
    QVERIFY(!text.contains(QStringLiteral("4 / 3")));
    QCOMPARE(text.count(QStringLiteral("電話番号")), 3);  // the column titles on every page
    QVERIFY(text.indexOf(QStringLiteral("03-3100-0080")) <
            text.indexOf(QStringLiteral("03-3100-0001")));
    QVERIFY(text.indexOf(QStringLiteral("03-3100-0001")) <
            text.indexOf(QStringLiteral("合計 80 件")));
    // Every call once.
    QCOMPARE(text.count(QStringLiteral("00:01:00")), 80);
}

void PrintoutTest::callLogAndPhoneBook() {
    QTemporaryDir dir;
    db::CallLogTable callLog(dir.path());
    callLog.createTable();
    callLog.open();
    callLog.append({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("▽着信"),
                    QStringLiteral("鈴木花子"), QStringLiteral("0612345678"),
                    QStringLiteral("00:02:00"), QStringLiteral("30 円"),
                    QStringLiteral("12/01 10:00")});
    callLog.append({QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("▲発信"), QString(),
                    QStringLiteral("0120000000"), QStringLiteral("00:00:10"), QStringLiteral("---"),
                    QStringLiteral("12/02 11:00")});
    const QString logText =
        writtenText(callLogPrintInput(callLog, QStringLiteral("全て表示する"), PrintedAt),
                    dir.filePath(QStringLiteral("log.pdf")));
    for (const QString& expected :
         {QStringLiteral("通話記録表"), QStringLiteral("表示条件 全て表示する"),
          QStringLiteral("鈴木花子"), QStringLiteral("0120000000"), QStringLiteral("12/02 11:00"),
          QStringLiteral("合計 2 件 合計通話料金 30 円"), QStringLiteral("1 / 1")}) {
        QVERIFY2(logText.contains(expected), qPrintable(expected));
    }

    db::PhoneBookTable phoneBook(dir.path());
    phoneBook.createTable();
    phoneBook.open();
    db::UserRecord r;
    r.name = QStringLiteral("佐藤一郎");
    r.yomi = QStringLiteral("ｻﾄｳ");
    r.tel = QStringLiteral("045-123-4567");
    r.address = QStringLiteral("横浜市中区");
    phoneBook.append(r);
    const PrintInput bookInput = phoneBookPrintInput(phoneBook, PrintedAt);
    QCOMPARE(bookInput.orientation, QPageLayout::Portrait);
    const QString bookText = writtenText(bookInput, dir.filePath(QStringLiteral("book.pdf")));
    for (const QString& expected : {QStringLiteral("個人情報一覧表"), QStringLiteral("佐藤一郎"),
                                    QStringLiteral("045-123-4567"), QStringLiteral("横浜市中区"),
                                    QStringLiteral("合計 1 件"), QStringLiteral("1 / 1")}) {
        QVERIFY2(bookText.contains(expected), qPrintable(expected));
    }
}

void PrintoutTest::phoneBookWindowPrintsThroughThePreview() {
    TestApp t;
    QVERIFY(t.start());
    db::UserRecord r;
    r.name = QStringLiteral("高橋");
    r.tel = QStringLiteral("011-222-3333");
    t.app->phoneBookTable.append(r);
    t.app->windows.phoneBook->printButton->click();
    QCOMPARE(t.dialogs.printJobs.size(), 1);
    const QString path = t.filePath(QStringLiteral("preview.pdf"));
    {
        QPdfWriter writer(path);
        t.dialogs.printJobs.first().setUpPage(writer);
        QCOMPARE(writer.pageLayout().orientation(), QPageLayout::Portrait);
        QCOMPARE(writer.pageLayout().pageSize().id(), QPageSize::A4);
        t.dialogs.printJobs.first().paint(writer);
    }
    const QString text = pdfText(path);
    QVERIFY2(text.contains(QStringLiteral("011-222-3333")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("印刷日 2026/12/08 10:00")));  // the run's clock
}

void PrintoutTest::unwritablePathFails() {
    PrintInput input;
    input.title = QStringLiteral("x");
    QString failure;
    QVERIFY(!writePdf(input, QStringLiteral("/nonexistent-folder/out.pdf"), &failure));
    QVERIFY(!failure.isEmpty());
}

QTEST_MAIN(PrintoutTest)
#include "printout_test.moc"
