// Every image of the fuzzing corpus, decoded and converted as a loaded history file would be.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <memory>

#include "protocol/logimage.h"
#include "rules/logconversion.h"
#include "rules/logtexts.h"
#include "support/logimagebytes.h"
#include "support/testapp.h"
#include "ui/gauge.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"

class LogCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        t_ = std::make_unique<TestApp>();
        t_->start();
        db::UserRecord r;
        r.Name = QStringLiteral("山田");
        r.Tel2 = QStringLiteral("0312345678");
        t_->app->windows.mainMenu->phoneBookTable.append(r);
    }
    void cleanupTestCase() { t_.reset(); }

    void image_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QDir corpus(qEnvironmentVariable("TILKA_TEST_DATA") +
                          QStringLiteral("/logimage-corpus"));
        const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
        QVERIFY2(files.size() >= 10, qPrintable(corpus.path()));
        for (const QString& name : files) {
            QFile f(corpus.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(name)) << f.readAll();
        }
    }
    void image() {
        QFETCH(QByteArray, bytes);
        ProgramState& s = t_->app->State;
        putLogImage(s, bytes.left(4000));
        s.HgClockSeconds = 1000000;
        s.clockDriftSetting = 101;
        s.ClockDifference = 36000000;

        const calllog::DecodedLog log = calllog::decodeLogImage(s.LogImage);
        int offset = 0;
        for (const calllog::LogEntry& e : log.Entries) {
            QCOMPARE(e.offset, offset);
            QVERIFY(e.offset <= calllog::LastEntryOffset);
            QVERIFY(e.size >= 14 && e.size <= 56);
            offset += e.size;
        }
        QCOMPARE(log.EndOffset, offset);

        CallLogWindow* form = t_->app->windows.callLog;
        form->convertLog();
        const db::CallLogTable& table = t_->app->windows.mainMenu->callLogTable;
        QCOMPARE(table.rowCount(), static_cast<int>(log.Entries.size()));
        for (int i = 0; i < table.rowCount(); ++i) {
            const db::LogRow row = table.row(i);
            QCOMPARE(row.LogNo, QString::number(i + 1));
            QVERIFY(std::find(calllog::KindColumnTexts.begin(), calllog::KindColumnTexts.end(),
                              row.Kind) != calllog::KindColumnTexts.end() ||
                    row.Kind == calllog::AnsweringMachineText);
        }
        QCOMPARE(form->countPanel->text(), calllog::entryCountText(table.rowCount()));
        QCOMPARE(form->memoryGauge->Progress(),
                 std::min(calllog::memoryGaugeValue(table.rowCount(), log.EndOffset), 100));
        QVERIFY(t_->dialogs.errors.isEmpty());
    }

private:
    std::unique_ptr<TestApp> t_;
};

QTEST_MAIN(LogCorpusTest)
#include "logcorpus_test.moc"
