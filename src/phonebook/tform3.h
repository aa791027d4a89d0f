#pragma once

#include <QByteArray>
#include <QString>

#include "app/tformbase.h"
#include "db/usertable.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class TCompoString;

// The personal record editor. It edits a copy of the phone book's current record (or a new one)
// and writes it to the table only when saved; cancelling, or closing by the title bar, drops the
// changes.
class TForm3 : public TFormBase {
    Q_OBJECT
public:
    explicit TForm3(Application& app);

    // Shows the editor on the phone book's current record; an empty phone book starts a new one.
    void UserEdit();
    // Shows the editor on a new empty record: the cursor in 氏名, or in TEL filled with tel.
    void UserNew(const QString& tel = QString());
    // The call log's edit action for a row's number: its record, or a new one with TEL filled.
    void LogCallerEdit(const QString& logNumber);

    void BitBtn1Click();  // save
    void BitBtn2Click();  // cancel
    void BitBtn3Click();  // dial: the hand-over to the dial pad
    void Button1Click();  // load a picture file
    void Button2Click();  // clear the picture
    void P1Click();       // paste a picture
    void CompoString1CompositionStr(TCompoString& Sender, const QString& Value);

    // Puts the picture of the file into the picture box; the general error message, and the old
    // picture kept, when the file is no picture.
    void LoadPicture(const QString& fileName);

    // The picture as 画像ﾃﾞｰﾀ will receive it: PNG for one loaded here, else the bytes as stored.
    const QByteArray& pictureData() const { return picture_; }
    // True while a record is open in the editor with changes not yet saved or dropped.
    bool editing() const { return editing_; }

    QLineEdit* DBEdit1 = nullptr;  // 氏名
    QLineEdit* DBEdit2 = nullptr;  // 読み
    QLineEdit* DBEdit3 = nullptr;  // 電話番号
    QLineEdit* DBEdit4 = nullptr;  // ＦＡＸ番号
    QLineEdit* DBEdit5 = nullptr;  // 郵便番号
    QLineEdit* DBEdit6 = nullptr;  // 住所
    QLineEdit* DBEdit7 = nullptr;  // 備考
    QLabel* Panel1 = nullptr;      // 最終通話
    QLabel* Panel2 = nullptr;      // 通話時間
    QLabel* Panel3 = nullptr;      // 利用料金
    QLabel* DBImage1 = nullptr;
    QPushButton* Button1 = nullptr;  // "OPEN"
    QPushButton* Button2 = nullptr;  // "CLS  "
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* P1 = nullptr;
    QAction* P2 = nullptr;
    QAction* P3 = nullptr;
    TCompoString* CompoString1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
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
