#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "adapter/devicelink.h"
#include "rules/vcard.h"
#include "support/testapp.h"
#include "support/tinydisk.h"
#include "windows/compactmenuwindow.h"
#include "windows/confirmationwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/recordeditor.h"

namespace {

db::UserRecord person(const QString& name, const QString& yomi, const QString& tel,
                      const QString& tel2) {
    db::UserRecord r;
    r.name = name;
    r.yomi = yomi;
    r.tel = tel;
    r.tel2 = tel2;
    return r;
}

QStringList captions(const QList<QAction*>& actions) {
    QStringList list;
    for (const QAction* a : actions) {
        list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return list;
}

}  // namespace

class PhoneBookWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestApp> t;
    PhoneBookWindow* list = nullptr;
    db::PhoneBookTable* table = nullptr;

    // 氏名 of every row in the grid, top to bottom.
    QStringList gridNames() const {
        QStringList names;
        const QAbstractItemModel* m = list->grid->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            names << m->index(r, 0).data().toString();
        }
        return names;
    }
    void selectRow(int row) { list->grid->setCurrentIndex(list->grid->model()->index(row, 0)); }

private slots:
    void init() {
        t = std::make_unique<TestApp>();
        t->start();
        t->clock.advance(2000);
        list = t->app->windows.phoneBook;
        table = &t->app->windows.mainMenu->phoneBookTable;
    }
    void cleanup() { t.reset(); }

    void windowLayout() {
        QCOMPARE(list->windowTitle(), QStringLiteral("個人情報一覧表"));
        QCOMPARE((QStringList{list->newButton->text(), list->editButton->text(),
                              list->deleteButton->text(), list->dialButton->text(),
                              list->closeButton->text()}),
                 (QStringList{"新規作成(&N)", " 編集(&E)     ", " 削除(&K)      ", "ﾀﾞｲﾔﾙ発信(&D)",
                              " 閉じる(&C)     "}));
        QCOMPARE(captions(list->contextMenu->actions()),
                 (QStringList{"個人情報編集(&E)", "新規作成(&N)", "削除(&K)", "ダイヤル発信(&D)",
                              "-", "閉じる(&C)"}));
        const QTableView* grid = list->grid;
        const QHeaderView* header = grid->horizontalHeader();
        QStringList titles;
        QList<int> widths;
        for (int v = 0; v < header->count(); ++v) {
            const int logical = header->logicalIndex(v);
            if (!header->isSectionHidden(logical)) {
                titles << grid->model()->headerData(logical, Qt::Horizontal).toString();
                widths << header->sectionSize(logical);
            }
        }
        QCOMPARE(titles, (QStringList{"氏名", "読み", "電話番号", "最終通話", "郵便番号", "住所"}));
        QCOMPARE(widths.mid(0, 4), (QList<int>{135, 141, 160, 92}));
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        list->helpButton->click();
        QTest::keyClick(list, Qt::Key_F1);
        QCOMPARE(t->help.requests, (QStringList{"context 6", "context 15"}));
    }

    void opensInReadingOrderAfterANumberLookUp() {
        table->append(person("山田", "やまだ", "011", "011"));
        table->append(person("阿部", "あべ", "033", "033"));
        table->append(person("佐藤", "さとう", "022", "022"));
        table->setIndex(db::PhoneBookTable::Index::Tel2);
        MainMenuWindow* main = t->app->windows.mainMenu;
        main->phoneBookButton->click();
        QVERIFY(!main->isVisible());
        QVERIFY(list->isVisible());
        QCOMPARE(gridNames(), (QStringList{"阿部", "佐藤", "山田"}));
        // The grid's row is the phone book's current record.
        selectRow(2);
        QCOMPARE(table->current()->name, QStringLiteral("山田"));
    }

    void editAndDialCutTheNumberTo20() {
        const QString tel = QStringLiteral("0123456789012345678901234");
        table->append(person("山田", "やまだ", tel, "x"));
        list->showPhoneBook();
        list->dialAction->trigger();
        const appstate::ProgramState& s = t->app->state;
        QCOMPARE(s.dialNumber.bytes(), QByteArray("01234567890123456789"));
        QCOMPARE(t->app->nav().returnsTo(), Navigation::Opener::PhoneBook);
        QVERIFY(t->app->link.dial().dialsOnOpen());
        QCOMPARE(t->app->link.dial().prologueTimer().interval(), 500);
        QVERIFY(!list->isVisible());

        t->app->state.dialNumber.clear();
        list->showPhoneBook();
        list->editAction->trigger();
        QCOMPARE(s.dialNumber.bytes(), QByteArray("01234567890123456789"));
        QVERIFY(t->app->windows.recordEditor->isVisible());
        QCOMPARE(t->app->windows.recordEditor->telField->text(), tel);
    }

    void editInAnEmptyPhoneBookStartsANewRecord() {
        list->showPhoneBook();
        list->editButton->click();
        RecordEditor* ed = t->app->windows.recordEditor;
        QVERIFY(ed->isVisible());
        QVERIFY(!list->isVisible());
        QCOMPARE(t->app->nav().returnsTo(), Navigation::Opener::PhoneBook);
        ed->nameField->setText(QStringLiteral("山田"));
        ed->telField->setText(QStringLiteral("011"));
        ed->saveClicked();
        QCOMPARE(table->recordCount(), 1);
        QVERIFY(list->isVisible());
        QCOMPARE(gridNames(), QStringList{"山田"});
    }

    void returnFromTheEditorSelectsTheSavedRecord() {
        table->beginBatch();
        for (int i = 0; i < 600; ++i) {
            table->append(person(QStringLiteral("名%1").arg(i, 3, 10, QChar(u'0')),
                                 QStringLiteral("あ%1").arg(i, 3, 10, QChar(u'0')),
                                 QStringLiteral("%1").arg(i), QStringLiteral("%1").arg(i)));
        }
        table->commitBatch();
        list->showPhoneBook();
        // Only the rows on screen are read when the list opens.
        QVERIFY(t->app->phoneBookTable.model()->rowsRead() < 600);
        list->newClicked();
        RecordEditor* ed = t->app->windows.recordEditor;
        ed->nameField->setText(QStringLiteral("最後"));
        ed->readingField->setText(QStringLiteral("ん"));
        ed->telField->setText(QStringLiteral("099"));
        ed->saveClicked();
        QVERIFY(list->isVisible());
        const QModelIndex current = list->grid->currentIndex();
        QCOMPARE(current.row(), 600);
        QCOMPARE(current.data().toString(), QStringLiteral("最後"));
    }

    void deleteAsksThenYesDeletesNoKeeps() {
        table->append(person("阿部", "あべ", "033", "033"));
        table->append(person("佐藤", "さとう", "022", "022"));
        list->showPhoneBook();
        selectRow(1);
        // Rows highlighted for an export: the delete shows that only the cursor's goes.
        list->grid->selectAll();
        ConfirmationWindow* confirm = t->app->windows.confirmation;
        list->deleteButton->click();
        const QModelIndexList highlighted = list->grid->selectionModel()->selectedRows();
        QCOMPARE(highlighted.size(), 1);
        QCOMPARE(highlighted.first().row(), 1);
        QVERIFY(!list->isEnabled());
        QVERIFY(confirm->isVisible());
        QCOMPARE(t->app->windows.confirmation->action(), 1);
        QCOMPARE(confirm->firstLine->text(), QStringLiteral("カーソルの指定された個人情報"));
        QCOMPARE(confirm->secondLine->text(), QStringLiteral("を削除しますか？"));
        confirm->noClicked();
        QVERIFY(list->isEnabled());
        QCOMPARE(gridNames(), (QStringList{"阿部", "佐藤"}));

        list->deleteAction->trigger();
        confirm->yesClicked();
        QVERIFY(!confirm->isVisible());
        QVERIFY(list->isEnabled());
        QCOMPARE(gridNames(), QStringList{"阿部"});
        QCOMPARE(list->grid->currentIndex().row(), 0);
    }

    void closeReturnsToTheMenuInUse() {
        MainMenuWindow* main = t->app->windows.mainMenu;
        main->phoneBookClicked();
        list->closeButton->click();
        QVERIFY(!list->isVisible());
        QVERIFY(main->isVisible());

        main->compactMenuClicked();
        t->app->windows.compactMenu->phoneBookButton->click();
        QVERIFY(!t->app->windows.compactMenu->isVisible());
        QVERIFY(list->isVisible());
        list->close();
        QVERIFY(t->app->windows.compactMenu->isVisible());
        QVERIFY(!main->isVisible());
    }

    void importsAndExportsVCards() {
        table->append(person("阿部", "あべ", "011", "011"));
        list->showPhoneBook();
        QCOMPARE((QStringList{list->importButton->text(), list->vCardExportButton->text()}),
                 (QStringList{"取り込み(&I)", "vCard出力"}));
        QFile in(t->filePath(QStringLiteral("in.vcf")));
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write(
            "BEGIN:VCARD\nVERSION:3.0\nFN:阿部\nTEL:022\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:3.0\nFN:佐藤\nSORT-STRING:サトウ\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:3.0\nTEL:033\nEND:VCARD\n");
        in.close();
        t->dialogs.fileNames << in.fileName();
        t->dialogs.answers << ui::MsgResult::Yes;  // overwrite the records already there
        list->importButton->click();
        QCOMPARE(t->dialogs.fileRequests.last().filter, QStringLiteral("vCard・CSV (*.vcf *.csv)"));
        QCOMPARE(t->dialogs.messages.size(), 2);
        QCOMPARE(t->dialogs.messages[0].buttons, ui::MsgButtons::YesNo);
        QVERIFY(
            t->dialogs.messages[0].text.startsWith(QStringLiteral("同じ氏名の個人情報が 1 件")));
        QCOMPARE(t->dialogs.messages[1].text,
                 QStringLiteral(
                     "追加 1 件、上書き 1 件、スキップ 1 件（氏名なし 1 件）を取り込みました。"));
        QCOMPARE(gridNames(), (QStringList{"阿部", "佐藤"}));
        QCOMPARE(table->record(QStringLiteral("阿部"))->tel, QStringLiteral("022"));

        // The same button takes the phone book's CSV.
        QFile csvFile(t->filePath(QStringLiteral("in.csv")));
        QVERIFY(csvFile.open(QIODevice::WriteOnly));
        csvFile.write("氏名,読み,電話番号\r\n加藤,かとう,044\r\n");
        csvFile.close();
        t->dialogs.fileNames << csvFile.fileName();
        list->importButton->click();
        QCOMPARE(t->dialogs.messages.last().text,
                 QStringLiteral("追加 1 件、上書き 0 件、スキップ 0 件を取り込みました。"));
        QCOMPARE(table->record(QStringLiteral("加藤"))->tel2, QStringLiteral("044"));
        // Another program's CSV is refused, naming the columns expected, and changes nothing.
        QVERIFY(csvFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        csvFile.write("First Name,Last Name,E-mail Address\r\nAnn,Lee,ann@example.com\r\n");
        csvFile.close();
        t->dialogs.fileNames << csvFile.fileName();
        list->importButton->click();
        QVERIFY(t->dialogs.messages.last().text.contains(QStringLiteral("氏名,読み,電話番号２")));
        QCOMPARE(table->recordCount(), 3);

        // Only the selected record, when the user says so.
        selectRow(2);
        t->dialogs.answers << ui::MsgResult::Yes;
        t->dialogs.fileNames << t->filePath(QStringLiteral("out"));
        list->vCardExportButton->click();
        QFile out(t->filePath(QStringLiteral("out.vcf")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const auto back = rules::vcard::read(out.readAll());
        QCOMPARE(back.records.size(), 1);
        QCOMPARE(back.records[0].yomi, QStringLiteral("さとう"));
        QVERIFY(t->dialogs.errors.isEmpty());
    }

    // The cards go whole or not at all: a full disk keeps the previous file and says why.
    void vCardExportOntoAFullDiskKeepsThePreviousFile() {
        TinyDisk disk;
        if (!disk.isValid()) {
            QSKIP("no right to mount a small file system here");
        }
        for (int i = 0; i < 5; ++i) {
            table->append(person(QStringLiteral("名%1").arg(i), "な", "011", "011"));
        }
        list->showPhoneBook();
        const QString path = disk.filePath(QStringLiteral("phonebook.vcf"));
        {
            QFile previous(path);
            QVERIFY(previous.open(QIODevice::WriteOnly));
            previous.write("previous");
        }
        disk.fill();
        t->dialogs.fileNames << path;
        list->vCardExportButton->click();
        QCOMPARE(t->dialogs.messages.last().text,
                 QStringLiteral(
                     "%1 を保存できません。ディスクがいっぱいです。元のファイルはそのままです。")
                     .arg(path));
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("previous"));
    }
};

QTEST_MAIN(PhoneBookWindowTest)
#include "phonebookwindow_test.moc"
