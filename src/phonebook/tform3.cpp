#include "phonebook/tform3.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <exception>

#include "app/application.h"
#include "app/tmain.h"
#include "calllog/callershow.h"
#include "calllog/telnumber.h"
#include "calllog/tform2.h"
#include "dial/tdialsystem.h"
#include "phonebook/sjislengthvalidator.h"
#include "phonebook/tcompostring.h"
#include "ui/artwork.h"
#include "ui/sjis.h"

namespace {

constexpr int HelpButtonContext = 8;

// Field sizes in Shift-JIS bytes, as the phone book table defines them.
constexpr int NameBytes = 20;
constexpr int YomiBytes = 20;
constexpr int TelBytes = 30;
constexpr int ZipBytes = 10;
constexpr int AddressBytes = 52;

// Every format the picture box reads; bitmaps first, as the dialog has always offered them.
QString pictureFilter() {
    QStringList patterns{QStringLiteral("*.BMP")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString lower = QString::fromLatin1(format).toLower();
        for (const QString& pattern :
             {QStringLiteral("*.") + lower, QStringLiteral("*.") + lower.toUpper()}) {
            if (!patterns.contains(pattern)) {
                patterns << pattern;
            }
        }
    }
    return QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (%1)").arg(patterns.join(u' '));
}

// The picture box shows 128 x 128; larger pictures would only swell the phone book file.
constexpr int StoredPictureSide = 1024;

QByteArray pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.width() > StoredPictureSide || image.height() > StoredPictureSide) {
        image
            .scaled(StoredPictureSide, StoredPictureSide, Qt::KeepAspectRatio,
                    Qt::SmoothTransformation)
            .save(&buffer, "PNG");
    } else {
        image.save(&buffer, "PNG");
    }
    return bytes;
}

// A line edit whose answer to the input method's "enabled" question follows
// Qt::WA_InputMethodEnabled; QLineEdit answers it from its read-only state alone.
class RecordEdit : public QLineEdit {
public:
    using QLineEdit::inputMethodQuery;
    using QLineEdit::QLineEdit;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (query == Qt::ImEnabled && !testAttribute(Qt::WA_InputMethodEnabled)) {
            return false;
        }
        return QLineEdit::inputMethodQuery(query);
    }
};

// The local file a drag carries as its first item, empty for anything else.
QString droppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    return !urls.isEmpty() && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

QLabel* makePanel(QWidget* parent, int left, int top, int width, Qt::Alignment alignment) {
    auto* panel = new QLabel(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(alignment | Qt::AlignVCenter);
    panel->setGeometry(left, top, width, 22);
    return panel;
}

}  // namespace

TForm3::TForm3(Application& app) : TFormBase(app, QStringLiteral("個人情報編集"), 16) {
    buildWindow();
}

void TForm3::buildWindow() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(532, 337);
    setAcceptDrops(true);

    DBEdit1 = addEdit(QStringLiteral("氏名"), NameBytes, 12, 64, 180);
    DBEdit2 = addEdit(QStringLiteral("読み"), YomiBytes, 42, 64, 180);
    DBEdit3 = addEdit(QStringLiteral("TEL"), TelBytes, 72, 64, 240);
    DBEdit4 = addEdit(QStringLiteral("FAX"), TelBytes, 102, 64, 240);
    DBEdit5 = addEdit(QStringLiteral("〒"), ZipBytes, 132, 64, 100);
    DBEdit6 = addEdit(QStringLiteral("住所"), AddressBytes, 162, 64, 440);
    DBEdit7 = addEdit(QStringLiteral("備考"), AddressBytes, 192, 64, 440);
    // The number boxes take Latin input; the input method is for the names and texts. Input
    // methods that ignore the hints would compose full-width digits, so it is turned off there.
    for (QLineEdit* edit : {DBEdit3, DBEdit4, DBEdit5}) {
        edit->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    QWidget::setTabOrder(DBEdit1, DBEdit2);
    QWidget::setTabOrder(DBEdit2, DBEdit3);
    QWidget::setTabOrder(DBEdit3, DBEdit4);
    QWidget::setTabOrder(DBEdit4, DBEdit5);
    QWidget::setTabOrder(DBEdit5, DBEdit6);
    QWidget::setTabOrder(DBEdit6, DBEdit7);

    auto* lastCall = new QLabel(QStringLiteral("最終通話"), this);
    lastCall->setGeometry(8, 226, 56, 22);
    Panel1 = makePanel(this, 64, 226, 150, Qt::AlignLeft);
    Panel2 = makePanel(this, 218, 226, 110, Qt::AlignLeft);
    Panel3 = makePanel(this, 332, 226, 110, Qt::AlignRight);

    DBImage1 = new QLabel(this);
    DBImage1->setGeometry(396, 8, 128, 128);
    DBImage1->setFrameStyle(QFrame::Box | QFrame::Plain);
    DBImage1->setScaledContents(true);
    DBImage1->setContextMenuPolicy(Qt::CustomContextMenu);
    DBImage1->installEventFilter(this);
    PopupMenu1 = new QMenu(this);
    P1 = PopupMenu1->addAction(QStringLiteral("貼り付け(&P)"), this, &TForm3::P1Click);
    P2 = PopupMenu1->addAction(QStringLiteral("画像読込み(&F)"), this, &TForm3::Button1Click);
    P3 = PopupMenu1->addAction(QStringLiteral("画像をクリア(&C)"), this, &TForm3::Button2Click);
    connect(DBImage1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(DBImage1->mapToGlobal(pos)); });

    Button1 = new QPushButton(QStringLiteral("OPEN"), this);
    Button1->setToolTip(QStringLiteral("画像ファイル読込み"));
    Button1->setGeometry(396, 140, 62, 24);
    Button2 = new QPushButton(QStringLiteral("CLS  "), this);
    Button2->setToolTip(QStringLiteral("画面初期化"));
    Button2->setGeometry(462, 140, 62, 24);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);

    BitBtn3 = new QPushButton(QStringLiteral("ダイヤル発信(&D) "), this);
    BitBtn3->setGeometry(8, 290, 150, 34);
    BitBtn1 = new QPushButton(QStringLiteral("  保存終了(&S)    "), this);
    BitBtn1->setGeometry(190, 290, 140, 34);
    BitBtn2 = new QPushButton(QStringLiteral(" キャンセル(&C)   "), this);
    BitBtn2->setGeometry(336, 290, 140, 34);
    SpeedButton1 = new QPushButton(QStringLiteral("?"), this);
    SpeedButton1->setToolTip(QStringLiteral("ヘルプ"));
    SpeedButton1->setGeometry(488, 290, 36, 34);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm3::BitBtn3Click);
    connect(SpeedButton1, &QPushButton::clicked, this,
            [this] { this->app.Ui.help.context(HelpButtonContext); });

    CompoString1 = new TCompoString(this);
    CompoString1->setControl(DBEdit1);
    CompoString1->OnCompositionStr = [this](TCompoString& sender, const QString& value) {
        CompoString1CompositionStr(sender, value);
    };
}

QLineEdit* TForm3::addEdit(const QString& label, int field, int top, int left, int width) {
    auto* caption = new QLabel(label, this);
    caption->setGeometry(8, top, left - 12, 22);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new RecordEdit(this);
    edit->setGeometry(left, top, width, 22);
    edit->setValidator(new SjisLengthValidator(field, edit));
    caption->setBuddy(edit);
    // A file dropped on a box is a picture for the record, as anywhere else on the window.
    edit->installEventFilter(this);
    return edit;
}

void TForm3::UserEdit() {
    db::UserTable& table = app.F.Main->UserTable;
    std::optional<db::UserRecord> record = table.current();
    if (!record && table.isOpen() && table.first()) {
        record = table.current();
    }
    if (!record) {
        // An empty phone book has no record to edit: a new one is started instead.
        UserNew();
        return;
    }
    openOn(*record, false);
    fillLastCall(*record);
    show();
    raise();
    DBEdit1->setFocus();
}

void TForm3::UserNew(const QString& tel) {
    blankLastCall();
    openOn(db::UserRecord{}, true);
    show();
    raise();
    if (tel.isEmpty()) {
        DBEdit1->setFocus();
    } else {
        DBEdit3->setFocus();
        DBEdit3->setText(tel);
    }
}

void TForm3::LogCallerEdit(const QString& logNumber) {
    const QString key = calllog::TelDigits(logNumber);
    // A row without a number must not open a record whose 電話番号２ happens to be empty.
    if (key.isEmpty()) {
        return;
    }
    app.guarded([&] {
        db::UserTable& table = app.F.Main->UserTable;
        table.setIndex(db::UserTable::Index::Tel2);
        if (table.findKey(key)) {
            UserEdit();
            app.State.DialCaller = dialcaller::CallLog;
            app.F.Form2->hide();
        } else {
            app.F.Form2->hide();
            app.State.DialCaller = dialcaller::CallLog;
            UserNew(logNumber);
        }
    });
}

void TForm3::openOn(const db::UserRecord& record, bool inserting) {
    record_ = record;
    openedName_ = inserting ? QString() : record.Name;
    inserting_ = inserting;
    editing_ = true;
    DBEdit1->setText(record.Name);
    DBEdit2->setText(record.Yomi);
    DBEdit3->setText(record.Tel);
    DBEdit4->setText(record.Fax);
    DBEdit5->setText(record.Zip);
    DBEdit6->setText(record.Address);
    DBEdit7->setText(record.Note);
    setPicture(record.Picture);
}

void TForm3::fillLastCall(const db::UserRecord& record) {
    Panel1->setText(record.LastCall);
    Panel2->setText(record.CallTime);
    Panel3->setText(record.Charges + QStringLiteral("  "));
}

void TForm3::blankLastCall() {
    Panel1->clear();
    Panel2->clear();
    Panel3->clear();
}

db::UserRecord TForm3::edited(db::UserRecord record) const {
    record.Name = DBEdit1->text();
    record.Yomi = DBEdit2->text();
    record.Tel = calllog::TelNormalize(DBEdit3->text());
    record.Fax = calllog::TelNormalize(DBEdit4->text());
    record.Tel2 = calllog::TelDigits(record.Tel);
    record.Zip = DBEdit5->text();
    record.Address = DBEdit6->text();
    record.Note = DBEdit7->text();
    record.Picture = picture_;
    return record;
}

void TForm3::BitBtn1Click() {
    if (DBEdit1->text().isEmpty() || DBEdit3->text().isEmpty()) {
        app.Ui.dialogs.messageBox(this, QStringLiteral("TEL と氏名は省略できません。"),
                                  ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::None);
        return;
    }
    db::UserTable& table = app.F.Main->UserTable;
    try {
        // The record is found again by its name in case the cursor moved while the editor was
        // open, and only the edited fields replace what it holds now (the log conversion writes
        // the last call). One deleted meanwhile is written anew rather than losing the input.
        if (!inserting_ && table.gotoName(openedName_)) {
            table.post(edited(table.current().value_or(record_)));
        } else {
            table.append(edited(record_));
        }
    } catch (const std::exception& e) {
        // A refused save (a 氏名 already taken) keeps the editor open with the input as typed.
        app.showException(QString::fromUtf8(e.what()));
        return;
    }
    editing_ = false;
    close();
}

void TForm3::BitBtn2Click() {
    editing_ = false;
    close();
}

void TForm3::BitBtn3Click() {
    // The numbers are cleaned as a save cleans them, but nothing is saved.
    DBEdit3->setText(calllog::TelNormalize(DBEdit3->text()));
    DBEdit4->setText(calllog::TelNormalize(DBEdit4->text()));
    hide();
    app.F.DialSystem->setup(1, DBEdit3->text());
}

void TForm3::Button1Click() {
    const QString fileName = app.Ui.dialogs.openFileName(
        this, ui::FileDialogRequest{QStringLiteral("BMPﾌｧｲﾙを読み込みます"), pictureFilter(),
                                    QString(), QString()});
    if (!fileName.isEmpty()) {
        LoadPicture(fileName);
    }
}

void TForm3::Button2Click() {
    setPicture(QByteArray());
}

void TForm3::P1Click() {
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        app.showException(QStringLiteral("クリップボードに画像がありません。"));
        return;
    }
    setPicture(pngOf(image));
}

void TForm3::LoadPicture(const QString& fileName) {
    QImageReader reader(fileName);
    const QImage image = reader.read();
    if (image.isNull()) {
        app.showException(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(fileName), reader.errorString()));
        return;
    }
    setPicture(pngOf(image));
}

void TForm3::setPicture(const QByteArray& stored) {
    picture_ = stored;
    showPicture();
}

void TForm3::showPicture() {
    QPixmap pixmap;
    if (picture_.isEmpty() || !pixmap.loadFromData(picture_)) {
        DBImage1->clear();
        return;
    }
    DBImage1->setPixmap(pixmap);
}

void TForm3::CompoString1CompositionStr(TCompoString&, const QString& Value) {
    DBEdit2->setText(sjis::cut(DBEdit2->text() + Value, YomiBytes));
    DBEdit1->setCursorPosition(static_cast<int>(DBEdit1->text().size()));
}

void TForm3::closeEvent(QCloseEvent* event) {
    // A close by the title bar is a cancel: nothing typed since opening is kept.
    editing_ = false;
    event->accept();
    app.guarded([this] { calllog::CallerShow(app, app.State.DialCaller); });
}

void TForm3::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TForm3::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    LoadPicture(urls.first().toLocalFile());
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBImage1 && event->type() == QEvent::MouseButtonDblClick) {
        Button1Click();
        return true;
    }
    const QEvent::Type type = event->type();
    if (qobject_cast<QLineEdit*>(watched) &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)) {
        // Dragged text still goes into the box; only a file is taken from it.
        auto* drag = static_cast<QDropEvent*>(event);
        const QString fileName = droppedFile(drag->mimeData());
        if (!fileName.isEmpty()) {
            drag->acceptProposedAction();
            if (type == QEvent::Drop) {
                LoadPicture(fileName);
            }
            return true;
        }
    }
    return TFormBase::eventFilter(watched, event);
}
