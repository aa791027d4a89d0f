#include "windows/recordeditor.h"

#include <QApplication>
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

#include "rules/picture.h"
#include "rules/telnumber.h"
#include "ui/artwork.h"
#include "ui/sjis.h"
#include "windows/navigation.h"
#include "windows/readingcapture.h"
#include "windows/sjislengthvalidator.h"
#include "windows/windowcontext.h"

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

RecordEditor::RecordEditor(WindowContext& context, db::PhoneBookTable& phoneBook)
    : WindowBase(context, QStringLiteral("個人情報編集"), 16), phoneBook_(phoneBook) {
    buildWindow();
}

void RecordEditor::buildWindow() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setClientSize(532, 337);
    setAcceptDrops(true);

    nameField = addEdit(QStringLiteral("氏名"), NameBytes, 12, 64, 180);
    readingField = addEdit(QStringLiteral("読み"), YomiBytes, 42, 64, 180);
    telField = addEdit(QStringLiteral("TEL"), TelBytes, 72, 64, 240);
    faxField = addEdit(QStringLiteral("FAX"), TelBytes, 102, 64, 240);
    postalCodeField = addEdit(QStringLiteral("〒"), ZipBytes, 132, 64, 100);
    addressField = addEdit(QStringLiteral("住所"), AddressBytes, 162, 64, 440);
    remarksField = addEdit(QStringLiteral("備考"), AddressBytes, 192, 64, 440);
    // The number boxes take Latin input; the input method is for the names and texts. Input
    // methods that ignore the hints would compose full-width digits, so it is turned off there.
    for (QLineEdit* edit : {telField, faxField, postalCodeField}) {
        edit->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    QWidget::setTabOrder(nameField, readingField);
    QWidget::setTabOrder(readingField, telField);
    QWidget::setTabOrder(telField, faxField);
    QWidget::setTabOrder(faxField, postalCodeField);
    QWidget::setTabOrder(postalCodeField, addressField);
    QWidget::setTabOrder(addressField, remarksField);

    auto* lastCall = new QLabel(QStringLiteral("最終通話"), this);
    lastCall->setGeometry(8, 226, 56, 22);
    lastCallPanel = makePanel(this, 64, 226, 150, Qt::AlignLeft);
    durationPanel = makePanel(this, 218, 226, 110, Qt::AlignLeft);
    chargePanel = makePanel(this, 332, 226, 110, Qt::AlignRight);

    pictureBox = new QLabel(this);
    pictureBox->setGeometry(396, 8, 128, 128);
    pictureBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    pictureBox->setScaledContents(true);
    pictureBox->setContextMenuPolicy(Qt::CustomContextMenu);
    pictureBox->installEventFilter(this);
    pictureMenu = new QMenu(this);
    pastePictureAction = pictureMenu->addAction(QStringLiteral("貼り付け(&P)"), this,
                                                &RecordEditor::pastePictureClicked);
    loadPictureAction = pictureMenu->addAction(QStringLiteral("画像読込み(&F)"), this,
                                               &RecordEditor::loadPictureClicked);
    clearPictureAction = pictureMenu->addAction(QStringLiteral("画像をクリア(&C)"), this,
                                                &RecordEditor::clearPictureClicked);
    connect(pictureBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pictureMenu->popup(pictureBox->mapToGlobal(pos)); });

    loadPictureButton = new QPushButton(QStringLiteral("OPEN"), this);
    loadPictureButton->setToolTip(QStringLiteral("画像ファイル読込み"));
    loadPictureButton->setGeometry(396, 140, 62, 24);
    clearPictureButton = new QPushButton(QStringLiteral("CLS  "), this);
    clearPictureButton->setToolTip(QStringLiteral("画面初期化"));
    clearPictureButton->setGeometry(462, 140, 62, 24);
    connect(loadPictureButton, &QPushButton::clicked, this, &RecordEditor::loadPictureClicked);
    connect(clearPictureButton, &QPushButton::clicked, this, &RecordEditor::clearPictureClicked);

    dialButton = new QPushButton(QStringLiteral("ダイヤル発信(&D) "), this);
    dialButton->setGeometry(8, 290, 150, 34);
    saveButton = new QPushButton(QStringLiteral("  保存終了(&S)    "), this);
    saveButton->setGeometry(190, 290, 140, 34);
    cancelButton = new QPushButton(QStringLiteral(" キャンセル(&C)   "), this);
    cancelButton->setGeometry(336, 290, 140, 34);
    helpButton = new QPushButton(QStringLiteral("?"), this);
    helpButton->setToolTip(QStringLiteral("ヘルプ"));
    helpButton->setGeometry(488, 290, 36, 34);
    connect(saveButton, &QPushButton::clicked, this, &RecordEditor::saveClicked);
    connect(cancelButton, &QPushButton::clicked, this, &RecordEditor::cancelClicked);
    connect(dialButton, &QPushButton::clicked, this, &RecordEditor::dialClicked);
    connect(helpButton, &QPushButton::clicked, this,
            [this] { this->context.services.help.context(HelpButtonContext); });

    readingCapture = new ReadingCapture(this);
    readingCapture->setControl(nameField);
    readingCapture->onReading = [this](ReadingCapture& sender, const QString& value) {
        readingCaptured(sender, value);
    };
}

QLineEdit* RecordEditor::addEdit(const QString& label, int field, int top, int left, int width) {
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

void RecordEditor::editCurrent() {
    db::PhoneBookTable& table = phoneBook_;
    std::optional<db::UserRecord> record = table.current();
    if (!record && table.isOpen() && table.first()) {
        record = table.current();
    }
    if (!record) {
        // An empty phone book has no record to edit: a new one is started instead.
        editNew();
        return;
    }
    openOn(*record, false);
    fillLastCall(*record);
    show();
    raise();
    nameField->setFocus();
}

void RecordEditor::editNew(const QString& tel) {
    blankLastCall();
    openOn(db::UserRecord{}, true);
    show();
    raise();
    if (tel.isEmpty()) {
        nameField->setFocus();
    } else {
        telField->setFocus();
        telField->setText(tel);
    }
}

bool RecordEditor::editLogCaller(const QString& logNumber) {
    const QString key = rules::lookupDigits(logNumber);
    // A row without a number must not open a record whose 電話番号２ happens to be empty.
    if (key.isEmpty()) {
        return false;
    }
    bool opened = false;
    context.guarded([&] {
        db::PhoneBookTable& table = phoneBook_;
        table.setIndex(db::PhoneBookTable::Index::Tel2);
        if (table.findKey(key)) {
            editCurrent();
        } else {
            editNew(logNumber);
        }
        opened = true;
    });
    return opened;
}

void RecordEditor::openOn(const db::UserRecord& record, bool inserting) {
    record_ = record;
    openedName_ = inserting ? QString() : record.name;
    inserting_ = inserting;
    editing_ = true;
    nameField->setText(record.name);
    readingField->setText(record.yomi);
    telField->setText(record.tel);
    faxField->setText(record.fax);
    postalCodeField->setText(record.zip);
    addressField->setText(record.address);
    remarksField->setText(record.note);
    setPicture(record.picture);
}

void RecordEditor::fillLastCall(const db::UserRecord& record) {
    lastCallPanel->setText(record.lastCall);
    durationPanel->setText(record.callTime);
    chargePanel->setText(record.charges + QStringLiteral("  "));
}

void RecordEditor::blankLastCall() {
    lastCallPanel->clear();
    durationPanel->clear();
    chargePanel->clear();
}

db::UserRecord RecordEditor::edited(db::UserRecord record) const {
    record.name = nameField->text();
    record.yomi = readingField->text();
    record.tel = rules::normalizeNumber(telField->text());
    record.fax = rules::normalizeNumber(faxField->text());
    record.tel2 = rules::lookupDigits(record.tel);
    record.zip = postalCodeField->text();
    record.address = addressField->text();
    record.note = remarksField->text();
    record.picture = picture_;
    return record;
}

void RecordEditor::saveClicked() {
    if (nameField->text().isEmpty() || telField->text().isEmpty()) {
        context.services.dialogs.messageBox(this, QStringLiteral("TEL と氏名は省略できません。"),
                                            ui::applicationTitle(), ui::MsgButtons::Ok,
                                            ui::MsgIcon::None);
        return;
    }
    db::PhoneBookTable& table = phoneBook_;
    try {
        // The record is found again by its name in case the cursor moved while the editor was
        // open, and only the edited fields replace what it holds now (the log conversion writes
        // the last call). One deleted meanwhile is written anew rather than losing the input.
        if (!inserting_ && table.gotoName(openedName_)) {
            db::UserRecord now = table.current().value_or(record_);
            // The version the editor was opened on: a save by another PC since then is refused.
            now.rowVersion = record_.rowVersion;
            table.post(edited(now));
        } else if (!inserting_ && record_.rowVersion > 0) {
            // Deleted on another PC meanwhile: said first, written anew at the next save.
            throw db::RecordChangedError(true);
        } else {
            table.append(edited(record_));
        }
    } catch (const db::RecordChangedError& e) {
        context.showException(QString::fromUtf8(e.what()));
        const std::optional<db::UserRecord> now = e.deleted() ? std::nullopt : table.current();
        if (now) {
            openOn(*now, false);
            fillLastCall(*now);
        } else {
            inserting_ = true;
        }
        return;
    } catch (const std::exception& e) {
        // A refused save (a 氏名 already taken) keeps the editor open with the input as typed.
        context.showException(QString::fromUtf8(e.what()));
        return;
    }
    editing_ = false;
    close();
}

void RecordEditor::cancelClicked() {
    editing_ = false;
    close();
}

void RecordEditor::dialClicked() {
    // The numbers are cleaned as a save cleans them, but nothing is saved.
    telField->setText(rules::normalizeNumber(telField->text()));
    faxField->setText(rules::normalizeNumber(faxField->text()));
    hide();
    context.nav().openDialPad(Navigation::Opener::RecordEditor, telField->text());
}

void RecordEditor::loadPictureClicked() {
    const QString fileName = context.services.dialogs.openFileName(
        this, ui::FileDialogRequest{QStringLiteral("BMPﾌｧｲﾙを読み込みます"), pictureFilter(),
                                    QString(), QString()});
    if (!fileName.isEmpty()) {
        loadPicture(fileName);
    }
}

void RecordEditor::clearPictureClicked() {
    setPicture(QByteArray());
}

void RecordEditor::pastePictureClicked() {
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        context.showException(QStringLiteral("クリップボードに画像がありません。"));
        return;
    }
    setPicture(rules::picture::stored(image));
}

void RecordEditor::loadPicture(const QString& fileName) {
    QImageReader reader(fileName);
    const QImage image = reader.read();
    if (image.isNull()) {
        context.showException(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(fileName), reader.errorString()));
        return;
    }
    setPicture(rules::picture::stored(image));
}

void RecordEditor::setPicture(const QByteArray& stored) {
    picture_ = stored;
    showPicture();
}

void RecordEditor::showPicture() {
    QPixmap pixmap;
    if (picture_.isEmpty() || !pixmap.loadFromData(picture_)) {
        pictureBox->clear();
        return;
    }
    pictureBox->setPixmap(pixmap);
}

void RecordEditor::readingCaptured(ReadingCapture&, const QString& reading) {
    readingField->setText(ui::sjis::cut(readingField->text() + reading, YomiBytes));
    nameField->setCursorPosition(static_cast<int>(nameField->text().size()));
}

void RecordEditor::closeEvent(QCloseEvent* event) {
    // A close by the title bar is a cancel: nothing typed since opening is kept.
    editing_ = false;
    event->accept();
    context.guarded([this] { context.nav().returnToCaller(); });
}

void RecordEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void RecordEditor::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    loadPicture(urls.first().toLocalFile());
}

bool RecordEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pictureBox && event->type() == QEvent::MouseButtonDblClick) {
        loadPictureClicked();
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
                loadPicture(fileName);
            }
            return true;
        }
    }
    return WindowBase::eventFilter(watched, event);
}
