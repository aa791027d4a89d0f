#pragma once

#include <QByteArray>
#include <QString>

#include "db/phonebooktable.h"
#include "windows/windowbase.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class ReadingCapture;

// The personal record editor. It edits a copy of the phone book's current record (or a new one)
// and writes it to the table only when saved; cancelling, or closing by the title bar, drops the
// changes.
class RecordEditor : public WindowBase {
    Q_OBJECT
public:
    RecordEditor(WindowContext& context, db::PhoneBookTable& phoneBook);

    // Shows the editor on the phone book's current record; an empty phone book starts a new one.
    void editCurrent();
    // Shows the editor on a new empty record: the cursor in 氏名, or in TEL filled with tel.
    void editNew(const QString& tel = QString());
    // The call log's edit action for a row's number: its record, or a new one with TEL filled.
    // False when the editor did not open: the row has no number, or the table failed.
    bool editLogCaller(const QString& logNumber);

    void saveClicked();          // save
    void cancelClicked();        // cancel
    void dialClicked();          // dial: the hand-over to the dial pad
    void loadPictureClicked();   // load a picture file
    void clearPictureClicked();  // clear the picture
    void pastePictureClicked();  // paste a picture
    void readingCaptured(ReadingCapture& capture, const QString& reading);

    // Puts the picture of the file into the picture box; the general error message, and the old
    // picture kept, when the file is no picture.
    void loadPicture(const QString& fileName);

    // The picture as 画像ﾃﾞｰﾀ will receive it: PNG for one loaded here, else the bytes as stored.
    const QByteArray& pictureData() const { return picture_; }
    // True while a record is open in the editor with changes not yet saved or dropped.
    bool editing() const { return editing_; }

    QLineEdit* nameField = nullptr;        // 氏名
    QLineEdit* readingField = nullptr;     // 読み
    QLineEdit* telField = nullptr;         // 電話番号
    QLineEdit* faxField = nullptr;         // ＦＡＸ番号
    QLineEdit* postalCodeField = nullptr;  // 郵便番号
    QLineEdit* addressField = nullptr;     // 住所
    QLineEdit* remarksField = nullptr;     // 備考
    QLabel* lastCallPanel = nullptr;       // 最終通話
    QLabel* durationPanel = nullptr;       // 通話時間
    QLabel* chargePanel = nullptr;         // 利用料金
    QLabel* pictureBox = nullptr;
    QPushButton* loadPictureButton = nullptr;   // "OPEN"
    QPushButton* clearPictureButton = nullptr;  // "CLS  "
    QPushButton* saveButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* helpButton = nullptr;
    QMenu* pictureMenu = nullptr;
    QAction* pastePictureAction = nullptr;
    QAction* loadPictureAction = nullptr;
    QAction* clearPictureAction = nullptr;
    ReadingCapture* readingCapture = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    db::PhoneBookTable& phoneBook_;
    void buildWindow();
    QLineEdit* addEdit(const QString& label, int field, int top, int left, int width);
    void openOn(const db::UserRecord& record, bool inserting);
    void fillLastCall(const db::UserRecord& record);
    void blankLastCall();
    void setPicture(const QByteArray& stored);
    void showPicture();
    // The record with the boxes' texts, the cleaned numbers and the picture put into it.
    db::UserRecord edited(db::UserRecord record) const;

    db::UserRecord record_;  // as opened: the fields without a box keep these values
    QString openedName_;     // 氏名 of the record being edited, empty for a new record
    QByteArray picture_;
    bool editing_ = false;
    bool inserting_ = false;
};
