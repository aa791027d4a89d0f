#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include "support/testapp.h"
#include "windows/calllogwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/navigation.h"
#include "windows/phonebookwindow.h"
#include "windows/recordeditor.h"

namespace {

db::UserRecord person(const QString& name, const QString& tel) {
    db::UserRecord r;
    r.name = name;
    r.yomi = name;
    r.tel = tel;
    r.tel2 = tel;
    return r;
}

void imeConvert(QWidget* w, const QString& kana, const QString& converted) {
    QInputMethodEvent typing(kana, {});
    QCoreApplication::sendEvent(w, &typing);
    QInputMethodEvent conversion(converted, {});
    QCoreApplication::sendEvent(w, &conversion);
    QInputMethodEvent done;
    done.setCommitString(converted);
    QCoreApplication::sendEvent(w, &done);
}

QString writeImage(const TestApp& t, const QString& name, const char* format, QColor color) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(color);
    const QString path = t.filePath(name);
    image.save(path, format);
    return path;
}

QColor colorOf(const QByteArray& stored) {
    return QImage::fromData(stored).pixelColor(0, 0);
}

}  // namespace

class RecordEditorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestApp> t;
    RecordEditor* ed = nullptr;
    db::PhoneBookTable* table = nullptr;

    // The editor on a new record opened from the phone book list.
    void openNew() {
        t->app->windows.phoneBook->showPhoneBook();
        t->app->windows.phoneBook->newClicked();
    }
    void openExisting(const QString& name) {
        PhoneBookWindow* list = t->app->windows.phoneBook;
        list->showPhoneBook();
        list->grid->setCurrentIndex(list->grid->model()->index(table->rowOf(name), 0));
        list->editClicked();
        QCOMPARE(ed->nameField->text(), name);
    }

private slots:
    void init() {
        t = std::make_unique<TestApp>();
        t->start();
        t->clock.advance(2000);
        ed = t->app->windows.recordEditor;
        table = &t->app->windows.mainMenu->phoneBookTable;
    }
    void cleanup() { t.reset(); }

    void captionsAndHelp() {
        QCOMPARE(ed->windowTitle(), QStringLiteral("個人情報編集"));
        QCOMPARE(
            (QStringList{ed->dialButton->text(), ed->saveButton->text(), ed->cancelButton->text(),
                         ed->loadPictureButton->text(), ed->clearPictureButton->text()}),
            (QStringList{"ダイヤル発信(&D) ", "  保存終了(&S)    ", " キャンセル(&C)   ", "OPEN",
                         "CLS  "}));
        QCOMPARE((QStringList{ed->pastePictureAction->text(), ed->loadPictureAction->text(),
                              ed->clearPictureAction->text()}),
                 (QStringList{"貼り付け(&P)", "画像読込み(&F)", "画像をクリア(&C)"}));
        QVERIFY(ed->acceptDrops());
        // The input method stays off in the number boxes, as the input method asks it: it would
        // compose full-width digits there.
        const auto imEnabled = [](QLineEdit* edit) {
            QInputMethodQueryEvent query(Qt::ImEnabled);
            QCoreApplication::sendEvent(edit, &query);
            return query.value(Qt::ImEnabled).toBool();
        };
        for (QLineEdit* number : {ed->telField, ed->faxField, ed->postalCodeField}) {
            QVERIFY(!number->testAttribute(Qt::WA_InputMethodEnabled));
            QVERIFY(!imEnabled(number));
        }
        for (QLineEdit* text :
             {ed->nameField, ed->readingField, ed->addressField, ed->remarksField}) {
            QVERIFY(imEnabled(text));
        }
        ed->helpButton->click();
        QTest::keyClick(ed, Qt::Key_F1);
        QCOMPARE(t->help.requests, (QStringList{"context 8", "context 16"}));
    }

    void saveCleansNumbers_data() {
        QTest::addColumn<QString>("tel");
        QTest::addColumn<QString>("fax");
        QTest::addColumn<QString>("storedTel");
        QTest::addColumn<QString>("storedFax");
        QTest::addColumn<QString>("tel2");
        QTest::newRow("full-width") << "０３－１２３４－５６７８"
                                    << ""
                                    << "03-1234-5678"
                                    << ""
                                    << "0312345678";
        QTest::newRow("letters only") << "abc"
                                      << "０６（代）"
                                      << ""
                                      << "06"
                                      << "";
        QTest::newRow("extension") << "03-1111-2222*12"
                                   << "03-1111-2223"
                                   << "03-1111-2222*12"
                                   << "03-1111-2223"
                                   << "0311112222*12";
    }
    void saveCleansNumbers() {
        QFETCH(QString, tel);
        QFETCH(QString, fax);
        openNew();
        QVERIFY(ed->isVisible());
        QVERIFY(!t->app->windows.phoneBook->isVisible());
        ed->nameField->setText(QStringLiteral("山田"));
        ed->telField->setText(tel);
        ed->faxField->setText(fax);
        ed->saveButton->click();
        QVERIFY2(t->dialogs.messages.isEmpty(), "no refusal expected");
        QVERIFY(!ed->isVisible());
        QVERIFY(t->app->windows.phoneBook->isVisible());
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        const db::UserRecord r = *table->current();
        QTEST(r.tel, "storedTel");
        QTEST(r.fax, "storedFax");
        QTEST(r.tel2, "tel2");
    }

    void emptyNameOrTelRefuses_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tel");
        QTest::newRow("no name") << ""
                                 << "0311112222";
        QTest::newRow("no tel") << "山田"
                                << "";
    }
    void emptyNameOrTelRefuses() {
        QFETCH(QString, name);
        QFETCH(QString, tel);
        openNew();
        ed->nameField->setText(name);
        ed->telField->setText(tel);
        ed->saveClicked();
        QCOMPARE(t->dialogs.messages.size(), 1);
        QCOMPARE(t->dialogs.messages.first().text, QStringLiteral("TEL と氏名は省略できません。"));
        QVERIFY(ed->isVisible());
        QVERIFY(ed->editing());
        QCOMPARE(table->recordCount(), 0);
    }

    void duplicateNameKeepsInput() {
        table->append(person(QStringLiteral("山田"), QStringLiteral("011")));
        openNew();
        ed->nameField->setText(QStringLiteral("山田"));
        ed->readingField->setText(QStringLiteral("やまだ"));
        ed->telField->setText(QStringLiteral("０３－１２３４"));
        ed->saveClicked();
        QCOMPARE(t->dialogs.errors.size(), 1);
        QVERIFY2(t->dialogs.errors.first().contains(QStringLiteral("UNIQUE")),
                 qPrintable(t->dialogs.errors.first()));
        QVERIFY(ed->isVisible());
        QCOMPARE(ed->nameField->text(), QStringLiteral("山田"));
        QCOMPARE(ed->telField->text(), QStringLiteral("０３－１２３４"));
        QCOMPARE(table->recordCount(), 1);
        // The user fixes the name and saves: the new record is added, the old one untouched.
        ed->nameField->setText(QStringLiteral("山田二郎"));
        ed->saveClicked();
        QVERIFY(!ed->isVisible());
        QCOMPARE(table->recordCount(), 2);
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        QCOMPARE(table->current()->tel, QStringLiteral("011"));
    }

    void renameToTakenNameIsRefused() {
        table->append(person(QStringLiteral("山田"), QStringLiteral("011")));
        table->append(person(QStringLiteral("鈴木"), QStringLiteral("022")));
        openExisting(QStringLiteral("鈴木"));
        ed->nameField->setText(QStringLiteral("山田"));
        ed->saveClicked();
        QCOMPARE(t->dialogs.errors.size(), 1);
        QVERIFY(ed->isVisible());
        QVERIFY(table->gotoName(QStringLiteral("鈴木")));
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        QCOMPARE(table->current()->tel, QStringLiteral("011"));
    }

    void editShowsLastCallAndKeepsOtherFields() {
        db::UserRecord r = person(QStringLiteral("山田"), QStringLiteral("0312345678"));
        r.lastCall = QStringLiteral("03/04 03:00");
        r.callTime = QStringLiteral("00:02:05");
        r.charges = QStringLiteral("80 円");
        r.note = QStringLiteral("友人");
        table->append(r);
        openExisting(QStringLiteral("山田"));
        QCOMPARE(ed->lastCallPanel->text(), QStringLiteral("03/04 03:00"));
        QCOMPARE(ed->durationPanel->text(), QStringLiteral("00:02:05"));
        QCOMPARE(ed->chargePanel->text(), QStringLiteral("80 円  "));
        QCOMPARE(ed->remarksField->text(), QStringLiteral("友人"));
        // The panels show the record as opened, not later changes.
        table->setLastCall(QStringLiteral("山田"), QStringLiteral("05/05 05:05"),
                           QStringLiteral("00:00:01"), QStringLiteral("---"));
        QCOMPARE(ed->lastCallPanel->text(), QStringLiteral("03/04 03:00"));
        ed->readingField->setText(QStringLiteral("やまだ"));
        ed->saveClicked();
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        const db::UserRecord saved = *table->current();
        QCOMPARE(saved.yomi, QStringLiteral("やまだ"));
        QCOMPARE(saved.lastCall, QStringLiteral("05/05 05:05"));
        QCOMPARE(saved.note, QStringLiteral("友人"));
        // A new record starts with a blank last-call line.
        t->app->windows.phoneBook->newClicked();
        QCOMPARE(ed->lastCallPanel->text() + ed->durationPanel->text() + ed->chargePanel->text(),
                 QString());
        QCOMPARE(ed->nameField->text(), QString());
        QCOMPARE(ed->focusWidget(), ed->nameField);
    }

    void cancelAndTitleBarCloseDropChanges_data() {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("キャンセル") << false;
        QTest::newRow("title bar") << true;
    }
    void cancelAndTitleBarCloseDropChanges() {
        QFETCH(bool, byTitleBar);
        table->append(person(QStringLiteral("山田"), QStringLiteral("011")));
        openExisting(QStringLiteral("山田"));
        ed->telField->setText(QStringLiteral("099"));
        byTitleBar ? (void)ed->close() : ed->cancelButton->click();
        QVERIFY(!ed->isVisible());
        QVERIFY(t->app->windows.phoneBook->isVisible());
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        QCOMPARE(table->current()->tel, QStringLiteral("011"));
        // A cancelled new record is not added.
        t->app->windows.phoneBook->newClicked();
        ed->nameField->setText(QStringLiteral("鈴木"));
        ed->telField->setText(QStringLiteral("022"));
        byTitleBar ? (void)ed->close() : ed->cancelButton->click();
        QCOMPARE(table->recordCount(), 1);
    }

    void editBoxesRefuseMoreBytesThanTheirField() {
        openNew();
        for (int i = 0; i < 11; ++i) {
            QTest::sendKeyEvent(QTest::Click, ed->nameField, Qt::Key_unknown, QStringLiteral("漢"),
                                {});
        }
        QCOMPARE(ed->nameField->text(), QString(10, QChar(u'漢')));
        QTest::keyClicks(ed->postalCodeField, QStringLiteral("123456789012"));
        QCOMPARE(ed->postalCodeField->text(), QStringLiteral("1234567890"));
        // Half-width kana are single bytes: twenty of them fit in 読み.
        for (int i = 0; i < 21; ++i) {
            QTest::sendKeyEvent(QTest::Click, ed->readingField, Qt::Key_unknown,
                                QStringLiteral("ｱ"), {});
        }
        QCOMPARE(ed->readingField->text(), QString(20, QChar(u'ｱ')));
        QInputMethodEvent tooLong;
        tooLong.setCommitString(QStringLiteral("あいうえおかきくけこさ"));
        QCoreApplication::sendEvent(ed->remarksField, &tooLong);
        QVERIFY(ed->remarksField->text().size() <= 26);
    }

    void readingCapturedFromTheInputMethod() {
        openNew();
        imeConvert(ed->nameField, QStringLiteral("やまだ"), QStringLiteral("山田"));
        imeConvert(ed->nameField, QStringLiteral("たろう"), QStringLiteral("太郎"));
        // A cancelled conversion adds nothing.
        QInputMethodEvent typing(QStringLiteral("じろう"), {});
        QCoreApplication::sendEvent(ed->nameField, &typing);
        QInputMethodEvent cancel(QString(), {});
        QCoreApplication::sendEvent(ed->nameField, &cancel);
        QCOMPARE(ed->nameField->text(), QStringLiteral("山田太郎"));
        QCOMPARE(ed->readingField->text(), QStringLiteral("やまだたろう"));
        QCOMPARE(ed->nameField->cursorPosition(), 4);
        // The reading is cut to what 読み holds.
        ed->readingField->setText(QString(8, QChar(u'あ')));
        imeConvert(ed->nameField, QStringLiteral("はなこ"), QStringLiteral("花子"));
        QCOMPARE(ed->readingField->text(), QString(8, QChar(u'あ')) + QStringLiteral("はな"));
    }

    void pictureRoundTripThroughTheTable() {
        openNew();
        t->dialogs.fileNames << writeImage(*t, QStringLiteral("red.BMP"), "BMP", Qt::red);
        ed->loadPictureButton->click();
        const ui::FileDialogRequest request = t->dialogs.fileRequests.last();
        QCOMPARE(request.title, QStringLiteral("BMPﾌｧｲﾙを読み込みます"));
        QVERIFY2(request.filter.startsWith(QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.BMP ")),
                 qPrintable(request.filter));
        QVERIFY(request.filter.contains(QStringLiteral("*.png")));
        QVERIFY(!ed->pictureBox->pixmap().isNull());
        ed->nameField->setText(QStringLiteral("山田"));
        ed->telField->setText(QStringLiteral("011"));
        ed->saveClicked();
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        const QByteArray stored = table->current()->picture;
        QVERIFY(stored.startsWith("\x89PNG"));
        QCOMPARE(colorOf(stored), QColor(Qt::red));

        openExisting(QStringLiteral("山田"));
        QCOMPARE(ed->pictureData(), stored);
        QVERIFY(!ed->pictureBox->pixmap().isNull());
        ed->clearPictureAction->trigger();
        QVERIFY(ed->pictureBox->pixmap().isNull());
        ed->saveClicked();
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        QVERIFY(table->current()->picture.isEmpty());
    }

    void badPicturesKeepTheOldOne() {
        openNew();
        ed->loadPicture(writeImage(*t, QStringLiteral("blue.png"), "PNG", Qt::blue));
        const QByteArray blue = ed->pictureData();
        QCOMPARE(colorOf(blue), QColor(Qt::blue));

        const QString broken = t->filePath(QStringLiteral("broken.bmp"));
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BM this is no bitmap");
        f.close();
        t->dialogs.fileNames << broken << t->filePath(QStringLiteral("missing.bmp"));
        ed->loadPictureAction->trigger();
        ed->loadPictureClicked();
        QCOMPARE(t->dialogs.errors.size(), 2);
        QCOMPARE(ed->pictureData(), blue);

        QApplication::clipboard()->clear();
        ed->pastePictureAction->trigger();
        QCOMPARE(t->dialogs.errors.size(), 3);
        QCOMPARE(ed->pictureData(), blue);

        QImage green(3, 3, QImage::Format_RGB32);
        green.fill(Qt::green);
        QApplication::clipboard()->setImage(green);
        ed->pastePictureAction->trigger();
        QCOMPARE(colorOf(ed->pictureData()), QColor(Qt::green));

        // A cancelled dialog changes nothing.
        QTest::mouseDClick(ed->pictureBox, Qt::LeftButton);
        QCOMPARE(t->dialogs.fileRequests.size(), 3);
        QCOMPARE(colorOf(ed->pictureData()), QColor(Qt::green));
    }

    void onlyTheFirstDroppedFileIsLoaded() {
        openNew();
        const auto dropOn = [](QWidget* target, const QMimeData& data) {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &drop);
            QVERIFY(drop.isAccepted());
        };
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(writeImage(*t, QStringLiteral("a.png"), "PNG", Qt::blue)),
             QUrl::fromLocalFile(writeImage(*t, QStringLiteral("b.png"), "PNG", Qt::red))});
        dropOn(ed, data);
        QCOMPARE(colorOf(ed->pictureData()), QColor(Qt::blue));
        // A file dropped on an edit box is a picture too, not text for the box. File managers
        // offer the file's address as plain text as well.
        QMimeData onEdit;
        const QUrl green =
            QUrl::fromLocalFile(writeImage(*t, QStringLiteral("c.png"), "PNG", Qt::green));
        onEdit.setUrls({green});
        onEdit.setText(green.toString());
        dropOn(ed->addressField, onEdit);
        QCOMPARE(colorOf(ed->pictureData()), QColor(Qt::green));
        QCOMPARE(ed->addressField->text(), QString());
        // Dropped text still goes into the box.
        QMimeData text;
        text.setText(QStringLiteral("東京都"));
        dropOn(ed->addressField, text);
        QCOMPARE(ed->addressField->text(), QStringLiteral("東京都"));
        QCOMPARE(colorOf(ed->pictureData()), QColor(Qt::green));
        QVERIFY(t->dialogs.errors.isEmpty());
    }

    // Large pictures are stored with their longer side cut to 1024 pixels; small ones as they are.
    void picturesAreStoredAtMost1024Pixels_data() {
        QTest::addColumn<QSize>("loaded");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("large") << QSize(3000, 1500) << QSize(1024, 512);
        QTest::newRow("tall") << QSize(600, 2048) << QSize(300, 1024);
        QTest::newRow("small") << QSize(200, 100) << QSize(200, 100);
    }
    void picturesAreStoredAtMost1024Pixels() {
        QFETCH(QSize, loaded);
        openNew();
        QImage image(loaded, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = t->filePath(QStringLiteral("big.png"));
        QVERIFY(image.save(path, "PNG"));
        ed->loadPicture(path);
        ed->nameField->setText(QStringLiteral("山田"));
        ed->telField->setText(QStringLiteral("011"));
        ed->saveClicked();
        QVERIFY(table->gotoName(QStringLiteral("山田")));
        const QByteArray stored = table->current()->picture;
        QVERIFY(stored.startsWith("\x89PNG"));
        QTEST(QImage::fromData(stored).size(), "stored");
        QCOMPARE(colorOf(stored), QColor(Qt::red));
    }

    void callLogRowOpensItsRecord() {
        table->append(person(QStringLiteral("山田"), QStringLiteral("0312345678")));
        db::UserRecord noNumber = person(QStringLiteral("鈴木"), QString());
        table->append(noNumber);
        t->app->state.logImage.markEmpty();  // an empty log is held, so returning converts it
        CallLogWindow* log = t->app->windows.callLog;

        log->show();
        t->app->nav().editLogCaller(QString());
        QVERIFY(!ed->isVisible());
        QVERIFY(log->isVisible());

        t->app->nav().editLogCaller(QStringLiteral("0312345678"));
        QVERIFY(ed->isVisible());
        QVERIFY(!log->isVisible());
        QCOMPARE(t->app->nav().returnsTo(), Navigation::Opener::CallLog);
        QCOMPARE(ed->nameField->text(), QStringLiteral("山田"));
        ed->cancelClicked();
        QVERIFY(log->isVisible());
        QCOMPARE(table->index(), db::PhoneBookTable::Index::Yomi);

        t->app->nav().editLogCaller(QStringLiteral("0399999999"));
        QVERIFY(ed->isVisible());
        QCOMPARE(ed->nameField->text(), QString());
        QCOMPARE(ed->telField->text(), QStringLiteral("0399999999"));
        QCOMPARE(ed->focusWidget(), ed->telField);
        ed->nameField->setText(QStringLiteral("佐藤"));
        ed->saveClicked();
        QVERIFY(log->isVisible());
        QVERIFY(table->gotoName(QStringLiteral("佐藤")));
        QCOMPARE(table->current()->tel2, QStringLiteral("0399999999"));
    }
};

QTEST_MAIN(RecordEditorTest)
#include "recordeditor_test.moc"
