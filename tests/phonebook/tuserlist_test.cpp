#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/tform10.h"
#include "app/tform18.h"
#include "app/tmain.h"
#include "link/tform11.h"
#include "phonebook/tform3.h"
#include "phonebook/tuserlist.h"
#include "support/testapp.h"

namespace {

db::UserRecord person(const QString& name, const QString& yomi, const QString& tel,
                      const QString& tel2) {
    db::UserRecord r;
    r.Name = name;
    r.Yomi = yomi;
    r.Tel = tel;
    r.Tel2 = tel2;
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

class TUserListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestApp> t;
    TUserList* list = nullptr;
    db::UserTable* table = nullptr;

    // 氏名 of every row in the grid, top to bottom.
    QStringList gridNames() const {
        QStringList names;
        const QAbstractItemModel* m = list->DBGrid1->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            names << m->index(r, 0).data().toString();
        }
        return names;
    }
    void selectRow(int row) {
        list->DBGrid1->setCurrentIndex(list->DBGrid1->model()->index(row, 0));
    }

private slots:
    void init() {
        t = std::make_unique<TestApp>();
        t->start();
        t->clock.advance(2000);
        list = t->app->F.UserList;
        table = &t->app->F.Main->UserTable;
    }
    void cleanup() { t.reset(); }

    void windowLayout() {
        QCOMPARE(list->windowTitle(), QStringLiteral("個人情報一覧表"));
        QCOMPARE((QStringList{list->BitBtn1->text(), list->BitBtn2->text(), list->BitBtn3->text(),
                              list->BitBtn4->text(), list->BitBtn5->text()}),
                 (QStringList{"新規作成(&N)", " 編集(&E)     ", " 削除(&K)      ", "ﾀﾞｲﾔﾙ発信(&D)",
                              " 閉じる(&C)     "}));
        QCOMPARE(captions(list->PopupMenu1->actions()),
                 (QStringList{"個人情報編集(&E)", "新規作成(&N)", "削除(&K)", "ダイヤル発信(&D)",
                              "-", "閉じる(&C)"}));
        const QTableView* grid = list->DBGrid1;
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
        list->SpeedButton1->click();
        QTest::keyClick(list, Qt::Key_F1);
        QCOMPARE(t->help.requests, (QStringList{"context 6", "context 15"}));
    }

    void opensInReadingOrderAfterANumberLookUp() {
        table->append(person("山田", "やまだ", "011", "011"));
        table->append(person("阿部", "あべ", "033", "033"));
        table->append(person("佐藤", "さとう", "022", "022"));
        table->setIndex(db::UserTable::Index::Tel2);
        TMain* main = t->app->F.Main;
        main->BitBtn2->click();
        QVERIFY(!main->isVisible());
        QVERIFY(list->isVisible());
        QCOMPARE(gridNames(), (QStringList{"阿部", "佐藤", "山田"}));
        // The grid's row is the phone book's current record.
        selectRow(2);
        QCOMPARE(table->current()->Name, QStringLiteral("山田"));
    }

    void editAndDialCutTheNumberTo20() {
        const QString tel = QStringLiteral("0123456789012345678901234");
        table->append(person("山田", "やまだ", tel, "x"));
        list->UserListShow();
        list->N4->trigger();
        const ProgramState& s = t->app->State;
        QCOMPARE(s.DialNumber.bytes(), QByteArray("01234567890123456789"));
        QCOMPARE(s.DialCaller, dialcaller::PhoneBook);
        QCOMPARE(s.LinkStep, 0);
        QCOMPARE(s.DialFromBook, uint8_t(1));
        QCOMPARE(t->app->F.Form11->Timer4.interval(), 500);
        QVERIFY(!list->isVisible());

        t->app->State.DialNumber.clear();
        list->UserListShow();
        list->N1->trigger();
        QCOMPARE(s.DialNumber.bytes(), QByteArray("01234567890123456789"));
        QVERIFY(t->app->F.Form3->isVisible());
        QCOMPARE(t->app->F.Form3->DBEdit3->text(), tel);
    }

    void editInAnEmptyPhoneBookStartsANewRecord() {
        list->UserListShow();
        list->BitBtn2->click();
        TForm3* ed = t->app->F.Form3;
        QVERIFY(ed->isVisible());
        QVERIFY(!list->isVisible());
        QCOMPARE(t->app->State.DialCaller, dialcaller::PhoneBook);
        ed->DBEdit1->setText(QStringLiteral("山田"));
        ed->DBEdit3->setText(QStringLiteral("011"));
        ed->BitBtn1Click();
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
        list->UserListShow();
        // Only a first page of rows is fetched when the list opens.
        QVERIFY(list->DBGrid1->model()->rowCount() < 600);
        list->BitBtn1Click();
        TForm3* ed = t->app->F.Form3;
        ed->DBEdit1->setText(QStringLiteral("最後"));
        ed->DBEdit2->setText(QStringLiteral("ん"));
        ed->DBEdit3->setText(QStringLiteral("099"));
        ed->BitBtn1Click();
        QVERIFY(list->isVisible());
        const QModelIndex current = list->DBGrid1->currentIndex();
        QCOMPARE(current.row(), 600);
        QCOMPARE(current.data().toString(), QStringLiteral("最後"));
    }

    void deleteAsksThenYesDeletesNoKeeps() {
        table->append(person("阿部", "あべ", "033", "033"));
        table->append(person("佐藤", "さとう", "022", "022"));
        list->UserListShow();
        selectRow(1);
        TForm10* confirm = t->app->F.Form10;
        list->BitBtn3->click();
        QVERIFY(!list->isEnabled());
        QVERIFY(confirm->isVisible());
        QCOMPARE(t->app->State.ConfirmKind, 1);
        QCOMPARE(confirm->Label1->text(), QStringLiteral("カーソルの指定された個人情報"));
        QCOMPARE(confirm->Label2->text(), QStringLiteral("を削除しますか？"));
        confirm->BitBtn2Click();
        QVERIFY(list->isEnabled());
        QCOMPARE(gridNames(), (QStringList{"阿部", "佐藤"}));

        list->N3->trigger();
        confirm->BitBtn1Click();
        QVERIFY(!confirm->isVisible());
        QVERIFY(list->isEnabled());
        QCOMPARE(gridNames(), QStringList{"阿部"});
        QCOMPARE(list->DBGrid1->currentIndex().row(), 0);
    }

    void closeReturnsToTheMenuInUse() {
        TMain* main = t->app->F.Main;
        main->BitBtn2Click();
        list->BitBtn5->click();
        QVERIFY(!list->isVisible());
        QVERIFY(main->isVisible());

        main->K7Click();
        t->app->F.Form18->BitBtn2->click();
        QVERIFY(!t->app->F.Form18->isVisible());
        QVERIFY(list->isVisible());
        list->close();
        QVERIFY(t->app->F.Form18->isVisible());
        QVERIFY(!main->isVisible());
    }
};

QTEST_MAIN(TUserListTest)
#include "tuserlist_test.moc"
