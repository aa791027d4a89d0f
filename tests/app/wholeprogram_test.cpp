#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "adapter/devicelink.h"
#include "app/application.h"
#include "hgsim/hgadapter.h"
#include "protocol/hgcommands.h"
#include "state/inifile.h"
#include "support/realtimeprogram.h"
#include "support/scripteddialogs.h"
#include "windows/calllogwindow.h"
#include "windows/chargeswindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/confirmationwindow.h"
#include "windows/dialpad.h"
#include "windows/mainmenuwindow.h"
#include "windows/optionswindow.h"
#include "windows/passwordwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/recordeditor.h"
#include "windows/splashwindow.h"

namespace {

// Every wait of the walk ends in well under this; it only bounds a broken run.
constexpr int Patience = 15000;
const QByteArray Dial = "AT\\D1/0312345678\r";

QStringList column(const QTableView* grid, int field) {
    QStringList out;
    const QAbstractItemModel* m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        out << m->index(r, field).data().toString();
    }
    return out;
}

int gridRows(const QTableView* grid) {
    return grid->model()->rowCount();
}

}  // namespace

class WholeProgramTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void usersDay() {
        RealTimeProgram p;
        QVERIFY(p.adapter.isValid());
        QVERIFY(p.app.start());
        MainMenuWindow* main = p.app.windows.mainMenu;
        const AppWindows& f = p.app.windows;

        // Splash, then the main menu.
        QVERIFY(p.app.splash() != nullptr && p.app.splash()->isVisible());
        QVERIFY(!main->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(main->isVisible(), Patience);
        QVERIFY(p.app.splash() == nullptr);
        QCOMPARE(main->windowTitle(), QStringLiteral("ＴＡＬＶＥ通話記録管理"));
        QVERIFY(p.dialogs.errors.isEmpty());

        // The call log: downloaded and shown.
        main->callLogButton->click();
        QVERIFY(!main->isVisible());
        CallLogWindow* log = f.callLog;
        QTRY_VERIFY_WITH_TIMEOUT(log->isVisible(), Patience);
        QCOMPARE(gridRows(log->grid), 10);
        QCOMPARE(log->filterPanel->text(), QStringLiteral("全て表示する"));
        const QList<QByteArray> download = p.adapter.commands();
        QVERIFY(download.contains(protocol::hg::clockRequestCommand()));
        QVERIFY(download.contains(protocol::hg::logRequestCommand(0)));
        QTRY_VERIFY_WITH_TIMEOUT(p.portClosed(), Patience);

        // A filter.
        log->outgoingButton->click();
        QCOMPARE(log->filterPanel->text(), QStringLiteral("発信だけ表示"));
        const QStringList outgoing = column(log->grid, 2);
        QVERIFY(!outgoing.isEmpty() && outgoing.size() < 10);
        QCOMPARE(outgoing.count(QStringLiteral("▲発信")), outgoing.size());
        log->showAllButton->click();
        QCOMPARE(gridRows(log->grid), 10);
        const QStringList numbers = column(log->grid, 4);

        // A history saved, the adapter's log cleared, the history loaded back.
        QVERIFY(!log->saveHistoryButton->isVisible());
        log->memoryLabelDoubleClicked();
        QVERIFY(log->saveHistoryButton->isVisible());
        p.dialogs.fileNames << p.path(QStringLiteral("monday"));
        log->saveHistoryButton->click();
        QVERIFY(QFile::exists(p.path(QStringLiteral("monday.tas"))));
        log->clearLogButton->click();
        QVERIFY(f.confirmation->isVisible());
        QCOMPARE(f.confirmation->firstLine->text(), QStringLiteral("ＨＧ内の通信記録を空に"));
        f.confirmation->yesButton->click();
        QVERIFY(!f.confirmation->isVisible());
        QCOMPARE(gridRows(log->grid), 0);
        QTRY_VERIFY_WITH_TIMEOUT(p.adapter.commands().contains(protocol::hg::logClearCommand()),
                                 Patience);
        p.dialogs.fileNames << p.path(QStringLiteral("monday.tas"));
        log->loadHistoryButton->click();
        QCOMPARE(column(log->grid, 4), numbers);
        QTRY_VERIFY_WITH_TIMEOUT(p.portClosed(), Patience);

        // Closed and opened again: the rows held are shown without any exchange.
        log->closeButton->click();
        QVERIFY(main->isVisible());
        const qsizetype beforeReopen = p.adapter.count();
        main->callLogButton->click();
        QVERIFY(log->isVisible());
        QCOMPARE(gridRows(log->grid), 10);
        QTest::qWait(300);
        QCOMPARE(p.adapter.count(), beforeReopen);
        log->closeButton->click();

        // The phone book: a new record, an edit, a delete confirmed.
        PhoneBookWindow* list = f.phoneBook;
        RecordEditor* editor = f.recordEditor;
        main->phoneBookButton->click();
        QVERIFY(list->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(gridRows(list->grid), 0);
        list->newButton->click();
        QVERIFY(editor->isVisible());
        editor->nameField->setText(QStringLiteral("山田太郎"));
        editor->readingField->setText(QStringLiteral("やまだたろう"));
        editor->telField->setText(QStringLiteral("０３－１２３４－５６７８"));
        editor->saveButton->click();
        QVERIFY(!editor->isVisible());
        QVERIFY(list->isVisible());
        QCOMPARE(column(list->grid, 0), QStringList{"山田太郎"});

        list->editButton->click();
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->nameField->text(), QStringLiteral("山田太郎"));
        editor->remarksField->setText(QStringLiteral("取引先"));
        editor->saveButton->click();
        db::PhoneBookTable& book = main->phoneBookTable;
        QVERIFY(book.gotoName(QStringLiteral("山田太郎")));
        QCOMPARE(book.current()->note, QStringLiteral("取引先"));
        QCOMPARE(book.current()->tel, QStringLiteral("03-1234-5678"));
        QCOMPARE(book.current()->tel2, QStringLiteral("0312345678"));

        list->deleteButton->click();
        QVERIFY(f.confirmation->isVisible());
        QCOMPARE(f.confirmation->secondLine->text(), QStringLiteral("を削除しますか？"));
        f.confirmation->yesButton->click();
        QVERIFY(list->isEnabled());
        QCOMPARE(gridRows(list->grid), 0);
        list->closeButton->click();
        QVERIFY(main->isVisible());

        // A dial answered busy, then one that connects and is hung up.
        p.adapter.configure([](hgsim::HgConfig& c) { c.dialReply = {{200, "ASTS %L 17\r\n"}}; });
        DialPad* pad = f.dialPad;
        main->dialButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(pad->isVisible(), Patience);
        const qsizetype beforeDial = p.adapter.count();
        pad->numberField->setText(QStringLiteral("0312345678"));
        pad->startButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(pad->statusPanel->text(), QStringLiteral("相手側話中"), Patience);
        QTRY_COMPARE_WITH_TIMEOUT(p.adapter.commandsFrom(beforeDial),
                                  (QList<QByteArray>{Dial, protocol::hg::hangUpCommand(1)}),
                                  Patience);
        QCOMPARE(pad->startButton->text(), QStringLiteral("ダイヤル開始"));
        // Lets the adapter's answer to the hang-up arrive before it is changed.
        QTest::qWait(300);

        p.adapter.configure([](hgsim::HgConfig& c) { c.dialReply = {{200, "AC\r\n"}}; });
        const qsizetype beforeCall = p.adapter.count();
        pad->numberField->setText(QStringLiteral("0312345678"));
        pad->startButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(pad->startButton->text(), QStringLiteral("回線切断"), Patience);
        QTRY_COMPARE_WITH_TIMEOUT(pad->statusPanel->text(), QStringLiteral("00:01"), Patience);
        pad->startButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(p.adapter.commandsFrom(beforeCall),
                                  (QList<QByteArray>{Dial, protocol::hg::hangUpCommand(1)}),
                                  Patience);
        QTRY_COMPARE_WITH_TIMEOUT(pad->startButton->text(), QStringLiteral("ダイヤル開始"),
                                  Patience);
        pad->cancelButton->click();
        QVERIFY(!pad->isVisible());
        QVERIFY(main->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(p.portClosed(), Patience);

        // The charges, and TEL 1 reset.
        ChargesWindow* charges = f.charges;
        main->chargesButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(charges->isVisible(), Patience);
        QCOMPARE((QStringList{charges->tel1Amount->text(), charges->tel2Amount->text(),
                              charges->digitalAmount->text()}),
                 (QStringList{"1234 円 ", "560 円 ", "0 円 "}));
        QTRY_VERIFY_WITH_TIMEOUT(p.portClosed(), Patience);
        charges->resetTel1Button->click();
        QVERIFY(f.confirmation->isVisible());
        QCOMPARE(f.confirmation->firstLine->text(), QStringLiteral("ＴＥＬ　１の使用料金を"));
        f.confirmation->yesButton->click();
        QCOMPARE(charges->tel1Amount->text(), QStringLiteral("0 円 "));
        QTRY_VERIFY_WITH_TIMEOUT(
            p.adapter.commands().contains(protocol::hg::chargeResetTel1Command()), Patience);
        charges->okButton->click();
        QVERIFY(main->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(p.portClosed(), Patience);

        // The options saved with a new password, which clears the adapter's log.
        OptionsWindow* options = f.options;
        main->optionsButton->click();
        QVERIFY(options->isVisible());
        const qsizetype beforeSave = p.adapter.count();
        options->passwordField->setText(QStringLiteral("0012"));
        options->saveButton->click();
        QVERIFY(f.confirmation->isVisible());
        QCOMPARE(f.confirmation->firstLine->text(),
                 QStringLiteral("パスワードを変更しますと通話記録が"));
        QTRY_COMPARE_WITH_TIMEOUT(p.adapter.count(), beforeSave + 2, Patience);
        f.confirmation->yesButton->click();
        QVERIFY(main->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(p.adapter.commandsFrom(beforeSave + 2),
                                  QList<QByteArray>{protocol::hg::passwordSetCommand(13)},
                                  Patience);
        QCOMPARE(p.app.state.settings.passwordCode, 13);
        QCOMPARE(p.setting("USER", "SET1"), 13);
        QTRY_VERIFY_WITH_TIMEOUT(p.portClosed(), Patience);

        // The call log is downloaded again; the adapter now asks for the password.
        const qsizetype beforeAgain = p.adapter.count();
        main->callLogButton->click();
        PasswordWindow* password = f.password;
        QTRY_VERIFY_WITH_TIMEOUT(password->isVisible(), Patience);
        password->passwordField->setText(QStringLiteral("12"));
        password->confirmButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(log->isVisible(), Patience);
        QVERIFY(p.adapter.commandsFrom(beforeAgain).contains(protocol::hg::logRequestCommand(13)));
        QCOMPARE(gridRows(log->grid), 0);
        log->closeButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(p.portClosed(), Patience);

        // The compact menu: it comes back after the phone book list, and goes back.
        CompactMenuWindow* compact = f.compactMenu;
        main->compactMenuAction->trigger();
        QVERIFY(compact->isVisible());
        QVERIFY(!main->isVisible());
        compact->phoneBookButton->click();
        QVERIFY(list->isVisible());
        QVERIFY(!compact->isVisible());
        list->closeButton->click();
        QVERIFY(compact->isVisible());
        QVERIFY(!main->isVisible());
        compact->standardMenuAction->trigger();
        QVERIFY(main->isVisible());
        QVERIFY(!compact->isVisible());

        QVERIFY2(p.dialogs.errors.isEmpty(), qPrintable(p.dialogs.errors.join('\n')));
        main->exitButton->click();
        QCOMPARE(p.quits, 1);
    }
};

QTEST_MAIN(WholeProgramTest)
#include "wholeprogram_test.moc"
