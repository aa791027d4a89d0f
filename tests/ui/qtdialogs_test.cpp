#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/qtdialogs.h"

namespace {

// Runs answer on the file dialog once it shows.
void whenDialogShows(const std::function<void(QFileDialog*)>& answer) {
    QTimer::singleShot(0, [answer] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                answer(dialog);
                return;
            }
        }
    });
}

}  // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT
private slots:
    // Never the current folder, where the tables are: the documents folder first, then the
    // folder of the last file chosen; a cancelled dialog changes nothing.
    void fileDialogsStartInTheDocumentsFolderThenTheLastOneUsed() {
        QTemporaryDir home;
        const QString documents = QDir(home.path()).filePath(QStringLiteral("Documents"));
        const QString other = QDir(home.path()).filePath(QStringLiteral("exports"));
        QVERIFY(QDir().mkpath(documents) && QDir().mkpath(other));
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        ui::QtDialogs dialogs;

        QString seen;
        whenDialogShows([&seen, &other](QFileDialog* d) {
            seen = d->directory().absolutePath();
            d->selectFile(QDir(other).filePath(QStringLiteral("calls.csv")));
            static_cast<QDialog*>(d)->accept();
        });
        const QString saved =
            dialogs.saveFileName(nullptr, {QString(), QStringLiteral("CSV (*.csv)"),
                                           QStringLiteral("calls.csv"), QStringLiteral("csv")});
        QCOMPARE(seen, documents);
        QCOMPARE(saved, QDir(other).filePath(QStringLiteral("calls.csv")));

        whenDialogShows([&seen](QFileDialog* d) {
            seen = d->directory().absolutePath();
            d->reject();
        });
        QVERIFY(dialogs
                    .openFileName(nullptr,
                                  {QString(), QStringLiteral("TAS (*.TAS)"), QString(), QString()})
                    .isEmpty());
        QCOMPARE(seen, other);
        QCOMPARE(dialogs.folder(), other);
    }
};

QTEST_MAIN(QtDialogsTest)
#include "qtdialogs_test.moc"
