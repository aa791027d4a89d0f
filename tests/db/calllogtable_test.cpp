#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "db/calllogtable.h"
#include "db/databaseerror.h"

using db::CallLogTable;
using db::LogRow;

namespace {

LogRow makeRow(const QString& no, const QString& kind) {
    return {no,
            QStringLiteral("１　　"),
            kind,
            QString(),
            QStringLiteral("0312345678"),
            QStringLiteral("00:01:05"),
            QStringLiteral("---"),
            QStringLiteral("03/04 03:00")};
}

QStringList kindsOf(const CallLogTable& table) {
    QStringList kinds;
    for (int i = 0; i < table.rowCount(); ++i) {
        kinds << table.row(i).kind;
    }
    return kinds;
}

QStringList modelColumn(QAbstractItemModel* model, int column) {
    QStringList texts;
    for (int i = 0; i < model->rowCount(); ++i) {
        texts << model->index(i, column).data().toString();
    }
    return texts;
}

}  // namespace

class CallLogTableTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        table_ = std::make_unique<CallLogTable>(dir_->path());
        table_->rowFilter = [this](const LogRow& row) {
            static const QStringList kinds{QStringLiteral("▲発信"), QStringLiteral("▽着信"),
                                           QStringLiteral("▽留守")};
            return mode_ < 0 || mode_ > 2 || row.kind == kinds[mode_];
        };
        table_->setExclusive(true);
        table_->createTable();
        table_->open();
    }
    void cleanup() {
        table_.reset();
        dir_.reset();
    }

    void everyStartBeginsEmpty() {
        table_->append(makeRow(QStringLiteral("1"), QStringLiteral("▲発信")));
        table_->close();

        CallLogTable next(dir_->path());
        next.setExclusive(true);
        next.createTable();
        next.open();
        QCOMPARE(next.rowCount(), 0);
        next.append(makeRow(QStringLiteral("1"), QStringLiteral("▽着信")));

        // A conversion rebuilds the table while it is open.
        next.createTable();
        QCOMPARE(next.rowCount(), 0);
        QCOMPARE(next.model()->rowCount(), 0);
        next.close();
        next.open();
        QCOMPARE(next.rowCount(), 0);
    }

    void foreignFileIsReplaced() {
        table_->close();
        const QString path = dir_->filePath(QStringLiteral("Logdat.db"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();

        table_->createTable();
        table_->open();
        table_->append(makeRow(QStringLiteral("1"), QStringLiteral("▲発信")));
        QCOMPARE(table_->rowCount(), 1);
    }

    void filter_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("nextMode");
        QTest::addColumn<QStringList>("nextExpected");
        const QString out = QStringLiteral("▲発信");
        const QString in = QStringLiteral("▽着信");
        const QString away = QStringLiteral("▽留守");
        QTest::newRow("outgoing, then incoming")
            << 0 << QStringList{out} << 1 << QStringList{in, in};
        QTest::newRow("incoming, then answering")
            << 1 << QStringList{in, in} << 2 << QStringList{away};
        QTest::newRow("answering, then other") << 2 << QStringList{away} << 3 << allKinds();
        QTest::newRow("other, then outgoing") << 3 << allKinds() << 0 << QStringList{out};
    }
    void filter() {
        QFETCH(int, mode);
        QFETCH(QStringList, expected);
        QFETCH(int, nextMode);
        QFETCH(QStringList, nextExpected);
        for (int i = 0; i < allKinds().size(); ++i) {
            table_->append(makeRow(QString::number(i + 1), allKinds()[i]));
        }

        mode_ = mode;
        table_->setFiltered(true);
        QVERIFY(table_->filtered());
        QCOMPARE(kindsOf(*table_), expected);
        QCOMPARE(modelColumn(table_->model(), 2), expected);

        table_->setFiltered(false);
        QVERIFY(!table_->filtered());
        QCOMPARE(kindsOf(*table_), allKinds());
        QCOMPARE(modelColumn(table_->model(), 2), allKinds());

        table_->setFiltered(true);
        QCOMPARE(kindsOf(*table_), expected);
        // The owner changes its mode while filtering is on: switching on again re-applies it.
        mode_ = nextMode;
        table_->setFiltered(true);
        QCOMPARE(kindsOf(*table_), nextExpected);
        QCOMPARE(modelColumn(table_->model(), 2), nextExpected);
    }

    void appendWhileFilteredShowsOnlyAccepted() {
        mode_ = 2;
        table_->setFiltered(true);
        QSignalSpy inserted(table_->model(), &QAbstractItemModel::rowsInserted);
        table_->append(makeRow(QStringLiteral("1"), QStringLiteral("▽着信")));
        table_->append(makeRow(QStringLiteral("2"), QStringLiteral("▽留守")));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(table_->rowCount(), 1);
        QCOMPARE(table_->row(0).logNo, QStringLiteral("2"));

        table_->setFiltered(false);
        QCOMPARE(table_->rowCount(), 2);
        QCOMPARE(table_->row(0).logNo, QStringLiteral("1"));
    }

    void textsAreCutToFieldSizes_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        const QString digits = QStringLiteral("0123456789").repeated(4);
        QTest::newRow("40-digit number") << 4 << digits << digits.left(30);
        QTest::newRow("30-digit number") << 4 << digits.left(30) << digits.left(30);
        const QString kanji = QStringLiteral("漢").repeated(12);
        QTest::newRow("12 kanji in 22 bytes") << 3 << kanji << kanji.left(11);
        QTest::newRow("a + 11 kanji in 22 bytes")
            << 3 << QStringLiteral("a") + kanji.left(11) << QStringLiteral("a") + kanji.left(10);
        QTest::newRow("half-width kana count one byte")
            << 3 << QStringLiteral("ﾀﾞｲﾔﾙ").repeated(5)
            << QStringLiteral("ﾀﾞｲﾔﾙ").repeated(4) + "ﾀﾞ";
        QTest::newRow("entry number") << 0 << QStringLiteral("12345") << QStringLiteral("1234");
        QTest::newRow("kind") << 2 << QStringLiteral("▲発信▲発信▲") << QStringLiteral("▲発信▲発信");
    }
    void textsAreCutToFieldSizes() {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        LogRow row = makeRow(QStringLiteral("1"), QStringLiteral("▲発信"));
        row.*members()[column] = text;
        table_->append(row);
        QCOMPARE(CallLogTable::field(table_->row(0), column), stored);

        // What the file holds, not only what was kept in memory.
        table_->close();
        table_->open();
        QCOMPARE(table_->rowCount(), 1);
        QCOMPARE(CallLogTable::field(table_->row(0), column), stored);
        QCOMPARE(table_->model()->index(0, column).data().toString(), stored);
    }

    void batchKeepsRowsInOrder() {
        table_->beginBatch();
        for (int i = 1; i <= 220; ++i) {
            table_->append(makeRow(QString::number(i), QStringLiteral("▲発信")));
        }
        table_->commitBatch();
        table_->close();
        table_->open();
        QCOMPARE(table_->rowCount(), 220);
        QCOMPARE(table_->row(0).logNo, QStringLiteral("1"));
        QCOMPARE(table_->row(219).logNo, QStringLiteral("220"));
    }

    void modelIsReadOnlyWithFieldTitles() {
        table_->append(makeRow(QStringLiteral("1"), QStringLiteral("▲発信")));
        QAbstractItemModel* model = table_->model();
        QCOMPARE(model->columnCount(), 8);
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c) {
            titles << model->headerData(c, Qt::Horizontal).toString();
        }
        QCOMPARE(titles, CallLogTable::fieldNames());
        QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(!model->setData(model->index(0, 0), QStringLiteral("9")));
    }

    void secondHolderIsRefused() {
        CallLogTable second(dir_->path());
        second.setExclusive(true);
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError, second.open());
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError, second.createTable());
        QVERIFY(!second.isOpen());

        table_->append(makeRow(QStringLiteral("1"), QStringLiteral("▲発信")));
        table_->close();
        second.open();
        QCOMPARE(second.rowCount(), 1);
    }

    void folderNameNeedsNoCare() {
        QTemporaryDir odd(QDir::tempPath() + QStringLiteral("/通話 #1?%20-XXXXXX"));
        QVERIFY(odd.isValid());
        CallLogTable table(odd.path());
        table.createTable();
        table.open();
        table.append(makeRow(QStringLiteral("1"), QStringLiteral("▲発信")));
        table.close();
        QVERIFY(QFile::exists(odd.filePath(QStringLiteral("Logdat.db"))));
        table.open();
        QCOMPARE(table.rowCount(), 1);
    }

    void writingWhenClosedIsAnError() {
        table_->close();
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError,
                                 table_->append(makeRow(QStringLiteral("1"), QString())));
        QCOMPARE(table_->rowCount(), 0);
    }

private:
    static QStringList allKinds() {
        return {QStringLiteral("▲発信"), QStringLiteral("▽着信"), QStringLiteral("▽留守"),
                QStringLiteral("ＣＢ"), QStringLiteral("▽着信")};
    }
    static std::array<QString LogRow::*, 8> members() {
        return {&LogRow::logNo,  &LogRow::ports,    &LogRow::kind,   &LogRow::name,
                &LogRow::number, &LogRow::duration, &LogRow::charge, &LogRow::callTime};
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<CallLogTable> table_;
    int mode_ = -1;
};

QTEST_GUILESS_MAIN(CallLogTableTest)
#include "calllogtable_test.moc"
