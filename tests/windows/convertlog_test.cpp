#include <QFile>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "db/edatabaseerror.h"
#include "support/logimagebytes.h"
#include "support/testapp.h"
#include "ui/gauge.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"

namespace {

QString dataPath(const QString& name) {
    return qEnvironmentVariable("TILKA_TEST_DATA") + QStringLiteral("/logimage/") + name;
}

QByteArray readData(const QString& name) {
    QFile f(dataPath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList fieldsOf(const db::LogRow& r) {
    return {r.LogNo, r.Ports, r.Kind, r.Name, r.Number, r.Duration, r.Charge, r.CallTime};
}

db::UserRecord person(const QString& name, const QString& tel2) {
    db::UserRecord r;
    r.Name = name;
    r.Tel = tel2;
    r.Tel2 = tel2;
    return r;
}

// The clock of the worked example: adapter clock 1000000, PC ahead by 36000000 s.
void setClock(ProgramState& s, int32_t hgTimeSetting = 99) {
    s.HgClockSeconds = 1000000;
    s.ClockDifference = 36000000;
    s.clockDriftSetting = hgTimeSetting;
}

struct Started {
    TestApp t;
    CallLogWindow* form = nullptr;
    db::CallLogTable* log = nullptr;
    db::PhoneBookTable* users = nullptr;

    explicit Started(const QString& folder = QString()) : t(folder) {
        t.start();
        form = t.app->windows.callLog;
        log = &t.app->windows.mainMenu->callLogTable;
        users = &t.app->windows.mainMenu->phoneBookTable;
        setClock(t.app->State);
    }
    ProgramState& state() { return t.app->State; }
    db::UserRecord record(const QString& name) {
        users->gotoName(name);
        return users->current().value_or(db::UserRecord{});
    }
    QStringList lastCall(const QString& name) {
        const db::UserRecord r = record(name);
        return {r.LastCall, r.CallTime, r.Charges};
    }
    QStringList panels() const {
        return {form->totalPanel->text(), form->countPanel->text(),
                QString::number(form->memoryGauge->Progress())};
    }
};

}  // namespace

class ConvertLogTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample_data() {
        QTest::addColumn<int>("hgTimeSetting");
        QTest::newRow("no drift") << 99;
        QTest::newRow("2 s an hour") << 101;
    }
    void workedExample() {
        QFETCH(int, hgTimeSetting);
        Started s;
        setClock(s.state(), hgTimeSetting);
        putLogImage(s.state(),
                    QByteArray::fromHex("0102000F1B30000F1BAD0050303331323334353637380000"));
        s.form->convertLog();
        QCOMPARE(s.log->rowCount(), 1);
        QCOMPARE(fieldsOf(s.log->row(0)),
                 (QStringList{"1", QStringLiteral("１　　"), QStringLiteral("▽着信"), QString(),
                              "0312345678", "00:02:05", QStringLiteral("80 円"), "03/04 03:00"}));
        QCOMPARE(s.panels(), (QStringList{QStringLiteral("80 円 "), QStringLiteral("1 件"), "1"}));
        QVERIFY(s.t.dialogs.errors.isEmpty());
    }

    void sampleImageRows() {
        Started s;
        s.users->append(person(QStringLiteral("山田"), "0312345678"));
        const QByteArray image = readData(QStringLiteral("sample.tas"));
        QCOMPARE(image.size(), 4000);
        putLogImage(s.state(), image);
        s.form->convertLog();

        QList<QStringList> expected;
        for (const QByteArray& line : readData(QStringLiteral("sample-rows.tsv")).split('\n')) {
            if (!line.isEmpty() && !line.startsWith('#')) {
                expected << QString::fromUtf8(line).split(u'\t');
            }
        }
        QCOMPARE(expected.size(), 8);
        QCOMPARE(s.log->rowCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(fieldsOf(s.log->row(i)), expected[i]);
        }
        // 176 bytes of entries: 6 percent of the log area.
        QCOMPARE(s.panels(),
                 (QStringList{QStringLiteral("66860 円 "), QStringLiteral("8 件"), "6"}));
        // The answering-machine entry of the same number left the record as the call set it.
        QCOMPARE(s.lastCall(QStringLiteral("山田")),
                 (QStringList{"03/04 03:00", "00:02:05", QStringLiteral("80 円")}));
        QCOMPARE(s.users->index(), db::PhoneBookTable::Index::Tel2);
    }

    void emptyImageEmptiesTheTable() {
        Started s;
        putLogImage(s.state(), readData(QStringLiteral("sample.tas")));
        s.form->convertLog();
        QCOMPARE(s.log->rowCount(), 8);
        s.state().LogImage[0] = 0;
        s.form->convertLog();
        QCOMPARE(s.log->rowCount(), 0);
        QCOMPARE(s.panels(), (QStringList{QStringLiteral("0 円 "), QStringLiteral("0 件"), "0"}));
        // The file holds no rows either.
        s.log->close();
        s.log->open();
        QCOMPARE(s.log->rowCount(), 0);
    }

    void sharedNumbersAndAnsweringMachine() {
        Started s;
        s.users->append(person(QStringLiteral("佐藤"), "0611112222"));
        s.users->append(person(QStringLiteral("加藤"), "0611112222"));
        s.users->append(person(QStringLiteral("山田"), "0312345678"));
        s.users->append(person(QStringLiteral("田中"), "0312345678*12"));
        const QByteArray bytes = logEntryBytes({1, 1, 990000, 990065, 20, "06-1111-2222", {}}) +
                                 logEntryBytes({1, 2, 993600, 993610, 0, "0611112222", {}}) +
                                 logEntryBytes({2, 1, 0, 997200, 0, "0611112222", {}}) +
                                 logEntryBytes({1, 2, 990000, 990030, 5, "0312345678", "12"}) +
                                 logEntryBytes({2, 2, 0, 990000, 0, "0312345678", {}}) +
                                 logEntryBytes({1, 1, 990000, 990001, 0, "0399999999", {}}) +
                                 logEntryBytes({1, 1, 997200, 997205, 3, "0611112222", {}});
        putLogImage(s.state(), bytes);
        s.form->convertLog();
        QCOMPARE(s.log->rowCount(), 7);
        QStringList names;
        for (int i = 0; i < 7; ++i) {
            names << s.log->row(i).Name;
        }
        // 佐藤 sorts before 加藤 among the records sharing the number.
        QCOMPARE(names, (QStringList{QStringLiteral("佐藤"), QStringLiteral("佐藤"),
                                     QStringLiteral("佐藤"), QStringLiteral("田中"),
                                     QStringLiteral("山田"), QString(), QStringLiteral("佐藤")}));
        // The last call in image order wins, also after other records were written in between;
        // answering-machine entries write nothing.
        QCOMPARE(s.lastCall(QStringLiteral("佐藤")),
                 (QStringList{"03/04 05:00", "00:00:05", QStringLiteral("3 円")}));
        QCOMPARE(s.lastCall(QStringLiteral("加藤")), (QStringList{"", "", ""}));
        QCOMPARE(s.lastCall(QStringLiteral("山田")), (QStringList{"", "", ""}));
        QCOMPARE(s.lastCall(QStringLiteral("田中")),
                 (QStringList{"03/04 03:00", "00:00:30", QStringLiteral("5 円")}));
    }

    void callWithoutNumberBelongsToNoRecord() {
        Started s;
        // A TEL without digits leaves the record an empty look-up number.
        s.users->append(person(QStringLiteral("番号なし"), QString()));
        putLogImage(s.state(), logEntryBytes({1, 1, 990000, 990065, 20, "", {}}));
        s.form->convertLog();
        QCOMPARE(s.log->rowCount(), 1);
        QCOMPARE(s.log->row(0).Name, QString());
        QCOMPARE(s.lastCall(QStringLiteral("番号なし")), (QStringList{"", "", ""}));
    }

    void longNumberIsCutInTheRowButLookedUpWhole() {
        Started s;
        const QByteArray number(23, '1');
        const QByteArray sub(21, '2');
        const QString whole = QString::fromLatin1(number + '*' + sub);
        // The record holds the first 30 characters, all its number field keeps.
        s.users->append(person(QStringLiteral("長い"), whole.left(30)));
        putLogImage(s.state(), logEntryBytes({1, 1, 990000, 990001, 0, number, sub}) +
                                   logEntryBytes({1, 1, 990000, 990001, 0, number, "222222"}));
        s.form->convertLog();
        QCOMPARE(s.log->row(0).Number, whole.left(30));
        QCOMPARE(s.log->row(0).Name, QString());
        QCOMPARE(s.log->row(1).Number, whole.left(30));
        QCOMPARE(s.log->row(1).Name, QStringLiteral("長い"));
    }

    void fullLogSetsTheGaugeToItsEnd() {
        Started s;
        QByteArray bytes;
        for (int i = 0; i < 230; ++i) {
            bytes += logEntryBytes({1, 1, 990000, 990000 + i, 1, {}, {}});
        }
        putLogImage(s.state(), bytes);
        s.form->convertLog();
        QCOMPARE(s.log->rowCount(), 215);
        QCOMPARE(s.log->row(214).LogNo, QStringLiteral("215"));
        QCOMPARE(s.log->row(214).Duration, QStringLiteral("00:03:34"));
        QCOMPARE(s.panels(),
                 (QStringList{QStringLiteral("215 円 "), QStringLiteral("215 件"), "100"}));
    }

    void engineFailureKeepsWhatWasWritten() {
        QTemporaryDir dir;
        {
            db::PhoneBookTable book(dir.path());
            book.createTable();
            book.open();
            book.append(person(QStringLiteral("山田"), "0312345678"));
            book.append(person(QStringLiteral("鈴木"), "0698765432"));
            book.close();
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
            raw.setDatabaseName(dir.filePath(QStringLiteral("Userdat.db")));
            QVERIFY(raw.open());
            QSqlQuery q(raw);
            QVERIFY(q.exec(QStringLiteral(
                "CREATE TRIGGER refuse BEFORE UPDATE ON \"Userdat\" WHEN OLD.\"氏名\" = '鈴木' "
                "BEGIN SELECT RAISE(ABORT, 'refused by trigger'); END")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));

        Started s(dir.path());
        s.state().LogImage[0] = 0;
        s.form->convertLog();
        putLogImage(s.state(), logEntryBytes({1, 1, 990000, 990065, 20, "0312345678", {}}) +
                                   logEntryBytes({1, 2, 990000, 990010, 0, "0600000000", {}}) +
                                   logEntryBytes({1, 1, 990000, 990005, 0, "0698765432", {}}) +
                                   logEntryBytes({1, 1, 990000, 990005, 0, "0111111111", {}}));
        try {
            s.form->convertLog();
            QFAIL("the refused update did not end the conversion");
        } catch (const db::EDatabaseError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("refused by trigger")), e.what());
        }
        QCOMPARE(s.log->rowCount(), 2);
        // Both tables committed what they had: the rows are in the file, the record updated.
        s.log->close();
        s.log->open();
        QCOMPARE(s.log->rowCount(), 2);
        QCOMPARE(s.log->row(1).Number, QStringLiteral("0600000000"));
        QCOMPARE(s.lastCall(QStringLiteral("山田")),
                 (QStringList{"03/04 03:00", "00:01:05", QStringLiteral("20 円")}));
        // The conversion ended before its totals.
        QCOMPARE(s.panels(), (QStringList{QStringLiteral("0 円 "), QStringLiteral("0 件"), "0"}));
    }
};

QTEST_MAIN(ConvertLogTest)
#include "convertlog_test.moc"
