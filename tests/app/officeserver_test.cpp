#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "hgsim/logimage.h"
#include "support/realtimeprogram.h"
#include "support/testserver.h"
#include "windows/archivemodel.h"
#include "windows/archivewindow.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/recordeditor.h"

namespace {

constexpr int Patience = 15000;
// Another PC's change shows within a second; the sanitizers' runs are given some more.
constexpr int NoticeTime = 3000;

// A second PC of the office: the real executable in a folder of its own, with its own settings
// file and tables, on the same server and with a COM1 link to the same adapter.
class SecondPc {
public:
    SecondPc(const QByteArray& settings, const QString& adapterLink) {
        const QString program = dir_.filePath(QStringLiteral("tilka"));
        QFile::copy(qEnvironmentVariable("TILKA_BINARY"), program);
        QFile ini(dir_.filePath(QStringLiteral("tilka.Ini")));
        if (ini.open(QIODevice::WriteOnly)) {
            ini.write(settings);
        }
        QFile::link(QFile::symLinkTarget(adapterLink), dir_.filePath(QStringLiteral("COM1")));
    }

    // Imports one record as a vCard, over a record of the same name.
    QString import(const QString& name, const QString& number) {
        QFile card(dir_.filePath(QStringLiteral("card.vcf")));
        if (!card.open(QIODevice::WriteOnly)) {
            return card.errorString();
        }
        card.write(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%1\r\nN:%1;;;;\r\nTEL:%2\r\n"
                                  "END:VCARD\r\n")
                       .arg(name, number)
                       .toUtf8());
        card.close();
        return run({QStringLiteral("--import"), card.fileName(), QStringLiteral("--on-duplicate"),
                    QStringLiteral("overwrite")});
    }

    // Runs one command-line job; its output, or why it failed.
    QString run(const QStringList& arguments) {
        QProcess tilka;
        tilka.setWorkingDirectory(dir_.path());
        tilka.start(dir_.filePath(QStringLiteral("tilka")), arguments);
        if (!tilka.waitForFinished(Patience) || tilka.exitCode() != 0) {
            return QStringLiteral("failed: ") + QString::fromUtf8(tilka.readAllStandardError());
        }
        return QString::fromUtf8(tilka.readAllStandardOutput()).trimmed();
    }

private:
    QTemporaryDir dir_;
};

int gridRows(const QTableView* grid) {
    return grid->model()->rowCount();
}

QString cell(const QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

}  // namespace

class OfficeServerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Two PCs on one server: the adapter downloaded by both is archived once, the other PC's
    // new calls and records show in the open lists where the user left them, and an edit saved
    // over the other PC's is refused with the message and the record as it is now.
    void twoPcsShareOneServer() {
        if (!TestServerDatabase::serverGiven()) {
            QSKIP("no PostgreSQL server for the tests");
        }
        TestServerDatabase server;
        QVERIFY2(server.problem().isEmpty(), qPrintable(server.problem()));
        RealTimeProgram a(server.settingsFileSection());
        QVERIFY(a.adapter.isValid());
        SecondPc b(server.settingsFileSection(), a.path(QStringLiteral("COM1")));
        QVERIFY(a.app.start());
        const AppWindows& f = a.app.windows;
        QTRY_VERIFY_WITH_TIMEOUT(f.mainMenu->isVisible(), Patience);

        f.mainMenu->callLogButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(f.callLog->isVisible(), Patience);
        QCOMPARE(gridRows(f.callLog->grid), 10);
        QTRY_VERIFY_WITH_TIMEOUT(a.portClosed(), Patience);
        f.callLog->closeButton->click();
        QCOMPARE(a.app.callArchive.totals({}).count, 10);
        QCOMPARE(b.run({QStringLiteral("--download")}),
                 QStringLiteral("10 件を受信、うち新規 0 件"));
        QCOMPARE(a.app.callArchive.totals({}).count, 10);

        a.app.nav().openArchive();
        ArchiveWindow* archive = f.archive;
        QVERIFY(archive->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(gridRows(archive->grid), 10, Patience);
        QVERIFY(!archive->grid->isColumnHidden(ArchiveModel::LineColumn));
        archive->grid->selectRow(3);
        const QString selectedTime = cell(archive->grid, 3, 7);
        a.adapter.configure([](hgsim::HgConfig& c) {
            QString error;
            c.calls.push_back(
                hgsim::parseCalls(QStringLiteral("1 out 2026-12-08 10:00:00 60 10 0312345678"),
                                  &error)
                    .front());
        });
        QCOMPARE(b.run({QStringLiteral("--download")}),
                 QStringLiteral("11 件を受信、うち新規 1 件"));
        QTRY_COMPARE_WITH_TIMEOUT(gridRows(archive->grid), 11, NoticeTime);
        QCOMPARE(archive->grid->currentIndex().row(), 4);
        QCOMPARE(cell(archive->grid, 4, 7), selectedTime);
        QCOMPARE(cell(archive->grid, 0, ArchiveModel::LineColumn), a.app.callArchive.lineName());
        archive->closeButton->click();

        db::UserRecord record;
        record.name = QStringLiteral("山田");
        record.tel = QStringLiteral("03-1111-2222");
        record.tel2 = QStringLiteral("0311112222");
        a.app.phoneBookTable.append(record);
        f.mainMenu->phoneBookButton->click();
        PhoneBookWindow* list = f.phoneBook;
        QVERIFY(list->isVisible());
        QCOMPARE(gridRows(list->grid), 1);
        QVERIFY(b.import(QStringLiteral("佐藤"), QStringLiteral("0455556666"))
                    .startsWith(QStringLiteral("追加 1 件")));
        QTRY_COMPARE_WITH_TIMEOUT(gridRows(list->grid), 2, NoticeTime);
        QCOMPARE(cell(list->grid, list->grid->currentIndex().row(), 0), QStringLiteral("山田"));

        list->editButton->click();
        RecordEditor* editor = f.recordEditor;
        QVERIFY(editor->isVisible());
        QVERIFY(b.import(QStringLiteral("山田"), QStringLiteral("0399998888"))
                    .startsWith(QStringLiteral("追加 0 件、上書き 1 件")));
        editor->remarksField->setText(QStringLiteral("取引先"));
        editor->saveButton->click();
        QCOMPARE(a.dialogs.errors.size(), 1);
        QVERIFY2(a.dialogs.errors.first().contains(QStringLiteral("ほかのPCで変更されました")),
                 qPrintable(a.dialogs.errors.first()));
        QVERIFY(editor->isVisible());
        QVERIFY2(editor->telField->text().contains(QStringLiteral("9999")),
                 qPrintable(editor->telField->text()));
    }
};

QTEST_MAIN(OfficeServerTest)
#include "officeserver_test.moc"
