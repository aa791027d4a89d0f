// Every image of the fuzzing corpus, decoded and converted as a loaded history file would be.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <memory>

#include "app/tmain.h"
#include "calllog/logconversion.h"
#include "calllog/logimage.h"
#include "calllog/logtexts.h"
#include "calllog/tform2.h"
#include "support/logimagebytes.h"
#include "support/testapp.h"
#include "ui/tgauge.h"

class LogCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        t_ = std::make_unique<TestApp>();
        t_->start();
        db::UserRecord r;
        r.Name = QStringLiteral("山田");
        r.Tel2 = QStringLiteral("0312345678");
        t_->app->F.Main->UserTable.append(r);
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
        s.HgTimeSetting = 101;
        s.ClockDifference = 36000000;

        const calllog::DecodedLog log = calllog::decodeLogImage(s.LogImage);
        int offset = 0;
        for (const calllog::LogEntry& e : log.Entries) {
            QCOMPARE(e.Offset, offset);
            QVERIFY(e.Offset <= calllog::LastEntryOffset);
            QVERIFY(e.Size >= 14 && e.Size <= 56);
            offset += e.Size;
        }
        QCOMPARE(log.EndOffset, offset);

        TForm2* form = t_->app->F.Form2;
        form->LogConv();
        const db::LogTable& table = t_->app->F.Main->LogTable;
        QCOMPARE(table.rowCount(), static_cast<int>(log.Entries.size()));
        for (int i = 0; i < table.rowCount(); ++i) {
            const db::LogRow row = table.row(i);
            QCOMPARE(row.LogNo, QString::number(i + 1));
            QVERIFY(std::find(calllog::KindTexts.begin(), calllog::KindTexts.end(), row.Kind) !=
                        calllog::KindTexts.end() ||
                    row.Kind == calllog::AnsweringMachineText);
        }
        QCOMPARE(form->CountPanel->text(), calllog::entryCountText(table.rowCount()));
        QCOMPARE(form->MemoryGauge->Progress(),
                 std::min(calllog::memoryGaugeValue(table.rowCount(), log.EndOffset), 100));
        QVERIFY(t_->dialogs.errors.isEmpty());
    }

private:
    std::unique_ptr<TestApp> t_;
};

QTEST_MAIN(LogCorpusTest)
#include "logcorpus_test.moc"
