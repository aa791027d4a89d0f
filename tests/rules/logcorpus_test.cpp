// Every image of the fuzzing corpus, decoded and imported as a loaded history file would be.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "db/callarchive.h"
#include "db/phonebooktable.h"

#include "db/archiveoutbox.h"
#include "protocol/logimage.h"
#include "protocol/secondsscale.h"
#include "rules/logconversion.h"
#include "rules/logimport.h"
#include "rules/logtexts.h"
#include "state/programstate.h"
#include "support/logimagebytes.h"

namespace {

struct Tables {
    Tables()
        : log(dir.path()),
          users(dir.path()),
          archive(dir.path(), protocol::monthOfMoment),
          outbox(dir.path()),
          import(state, log, users, archive, outbox) {
        users.createTable();
        users.open();
    }
    QTemporaryDir dir;
    appstate::ProgramState state;
    db::CallLogTable log;
    db::PhoneBookTable users;
    db::CallArchive archive;
    db::ArchiveOutbox outbox;
    rules::LogImport import;
};

}  // namespace

class LogCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        t_ = std::make_unique<Tables>();
        db::UserRecord r;
        r.name = QStringLiteral("山田");
        r.tel2 = QStringLiteral("0312345678");
        t_->users.append(r);
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
        appstate::ProgramState& s = t_->state;
        putLogImage(s, bytes.left(4000));
        s.hgClockSeconds = 1000000;
        s.settings.clockDriftSetting = 101;
        s.clockDifference = 36000000;

        const protocol::DecodedLog log = protocol::decodeLogImage(s.logImage.bytes());
        int offset = 0;
        for (const protocol::LogEntry& e : log.entries) {
            QCOMPARE(e.offset, offset);
            QVERIFY(e.offset <= protocol::LastEntryOffset);
            QVERIFY(e.size >= 14 && e.size <= 56);
            offset += e.size;
        }
        QCOMPARE(log.endOffset, offset);

        const rules::LogImportResult result = t_->import.importHeld();
        const db::CallLogTable& table = t_->log;
        QCOMPARE(table.rowCount(), static_cast<int>(log.entries.size()));
        for (int i = 0; i < table.rowCount(); ++i) {
            const db::LogRow row = table.row(i);
            QCOMPARE(row.logNo, QString::number(i + 1));
            QVERIFY(std::find(rules::KindColumnTexts.begin(), rules::KindColumnTexts.end(),
                              row.kind) != rules::KindColumnTexts.end() ||
                    row.kind == rules::AnsweringMachineText);
        }
        QCOMPARE(result.rows, table.rowCount());
        QCOMPARE(result.memoryFill,
                 std::min(rules::memoryGaugeValue(table.rowCount(), log.endOffset), 100));
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    }

private:
    std::unique_ptr<Tables> t_;
};

QTEST_MAIN(LogCorpusTest)
#include "logcorpus_test.moc"
