#include "windows/dialpad.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "protocol/dialreply.h"
#include "rules/telnumber.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int NumberFieldLength = 22;
constexpr int ElapsedMs = 1000;
constexpr int BlinkMs = 500;

const QString DialingText = QStringLiteral("ダイヤル中");
const QString StartCaption = QStringLiteral("ダイヤル開始");
const QString HangUpCaption = QStringLiteral("回線切断");
const QString ContinuousCaption = QStringLiteral("連続ダイヤル");

}  // namespace

DialPad::DialPad(WindowContext& context, adapter::DeviceLink& link, db::PhoneBookTable& phoneBook)
    : WindowBase(context, QStringLiteral("ダイヤル発信"), 13),
      elapsedTimer(context.services.timers),
      blinkTimer(context.services.timers),
      link_(link),
      phoneBook_(phoneBook) {
    elapsedTimer.onElapsed = [this] { countElapsed(); };
    blinkTimer.onElapsed = [this] { blink(); };
    buildWindow();
}

void DialPad::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setClientSize(200, 290);

    namePanel = new QLabel(this);
    namePanel->setGeometry(8, 8, 184, 22);
    namePanel->setFrameShape(QFrame::Panel);
    namePanel->setFrameShadow(QFrame::Sunken);
    namePanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont bold = namePanel->font();
    bold.setBold(true);
    namePanel->setFont(bold);

    numberField = new QLineEdit(this);
    numberField->setGeometry(8, 36, 148, 26);
    numberField->setMaxLength(NumberFieldLength);
    // Numbers are typed directly, never composed.
    numberField->setAttribute(Qt::WA_InputMethodEnabled, false);
    redialButton = new QPushButton(QStringLiteral("R"), this);
    redialButton->setToolTip(QStringLiteral("リダイヤル"));
    redialButton->setGeometry(162, 36, 30, 26);
    redialButton->setFocusPolicy(Qt::NoFocus);
    connect(redialButton, &QPushButton::clicked, this,
            [this] { context.guarded([this] { redialClicked(); }); });

    key1Button = addKey(QStringLiteral("１"), '1', 8, 68);
    key2Button = addKey(QStringLiteral("２"), '2', 72, 68);
    key3Button = addKey(QStringLiteral("３"), '3', 136, 68);
    key4Button = addKey(QStringLiteral("４"), '4', 8, 100);
    key5Button = addKey(QStringLiteral("５"), '5', 72, 100);
    key6Button = addKey(QStringLiteral("６"), '6', 136, 100);
    key7Button = addKey(QStringLiteral("７"), '7', 8, 132);
    key8Button = addKey(QStringLiteral("８"), '8', 72, 132);
    key9Button = addKey(QStringLiteral("９"), '9', 136, 132);
    starKeyButton = addKey(QStringLiteral("＊"), '*', 8, 164);
    key0Button = addKey(QStringLiteral("０"), '0', 72, 164);
    hashKeyButton = addKey(QStringLiteral("#"), '#', 136, 164);

    backspaceButton = new QPushButton(QStringLiteral("BS"), this);
    backspaceButton->setGeometry(8, 196, 56, 28);
    backspaceButton->setFocusPolicy(Qt::NoFocus);
    connect(backspaceButton, &QPushButton::clicked, this, &DialPad::backspaceClicked);

    startButton = new QPushButton(StartCaption, this);
    startButton->setGeometry(72, 196, 120, 28);
    startButton->setDefault(true);
    startButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(startButton, &QPushButton::clicked, this,
            [this] { context.guarded([this] { startClicked(); }); });
    modeMenu = new QMenu(this);
    normalModeAction =
        modeMenu->addAction(QStringLiteral("通常モード"), this, &DialPad::normalModeClicked);
    continuousModeAction =
        modeMenu->addAction(QStringLiteral("連続モード"), this, &DialPad::continuousModeClicked);
    modeMenu->addSeparator();
    cancelMenuAction = modeMenu->addAction(QStringLiteral("キャンセル"));
    connect(startButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { modeMenu->popup(startButton->mapToGlobal(at)); });

    statusPanel = new QLabel(this);
    statusPanel->setGeometry(8, 230, 184, 22);
    statusPanel->setFrameShape(QFrame::Panel);
    statusPanel->setFrameShadow(QFrame::Sunken);
    statusPanel->setAlignment(Qt::AlignCenter);

    cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton->setGeometry(56, 258, 88, 26);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
}

QPushButton* DialPad::addKey(const QString& caption, char key, int left, int top) {
    auto* button = new QPushButton(caption, this);
    button->setGeometry(left, top, 56, 28);
    // The keyboard focus stays in the number field.
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, key] { keyClicked(key); });
    return button;
}

void DialPad::caretToEnd() {
    numberField->end(false);
}

void DialPad::keyClicked(char key) {
    if (numberField->text().size() >= NumberFieldLength) {
        return;
    }
    numberField->setFocus();
    numberField->setText(numberField->text() + QLatin1Char(key));
    caretToEnd();
}

void DialPad::backspaceClicked() {
    numberField->setText(numberField->text().chopped(numberField->text().isEmpty() ? 0 : 1));
    caretToEnd();
    numberField->setFocus();
}

void DialPad::redialClicked() {
    numberField->setFocus();
    if (const std::optional<QString> number = link_.nextRedialNumber()) {
        numberField->setText(*number);
        caretToEnd();
        showBookName();
    }
}

void DialPad::normalModeClicked() {
    link_.useNormalDialMode();
}

void DialPad::continuousModeClicked() {
    link_.useContinuousDialMode();
}

void DialPad::enableKeys(bool enabled) {
    numberField->setEnabled(enabled);
    for (QPushButton* key : {key1Button, key2Button, key3Button, key4Button, key5Button, key6Button,
                             key7Button, key8Button, key9Button, key0Button, starKeyButton,
                             backspaceButton, hashKeyButton, redialButton}) {
        key->setEnabled(enabled);
    }
    if (enabled) {
        numberField->setFocus();
    }
}

void DialPad::showBookName() {
    db::PhoneBookTable& table = phoneBook_;
    table.setIndex(db::PhoneBookTable::Index::Tel2);
    namePanel->clear();
    if (table.findKey(rules::lookupDigits(numberField->text()))) {
        namePanel->setText(table.current()->name);
    }
}

void DialPad::showPad() {
    show();
    raise();
}

void DialPad::stopCounting() {
    elapsedTimer.setInterval(0);
    blinkTimer.setInterval(0);
}

void DialPad::showDialling(const QString& number) {
    numberField->setFocus();
    numberField->setText(number);
    showBookName();
}

void DialPad::showDialSent() {
    elapsedSeconds = 0;
    blinkTimer.setInterval(BlinkMs);
}

void DialPad::showAnswer(const std::optional<QString>& statusText) {
    if (statusText) {
        statusPanel->setText(*statusText);
    }
    blinkTimer.setInterval(0);
}

void DialPad::startCountingTime() {
    elapsedTimer.setInterval(ElapsedMs);
}

void DialPad::showHungUp() {
    if (statusPanel->text() == DialingText) {
        statusPanel->clear();
    }
    elapsedSeconds = 0;
    elapsedTimer.setInterval(0);
    blinkTimer.setInterval(0);
}

void DialPad::showStartButton(adapter::DialExchange::StartButton shows, int count) {
    using StartButton = adapter::DialExchange::StartButton;
    switch (shows) {
        case StartButton::Dial:
            startButton->setText(StartCaption);
            break;
        case StartButton::HangUp:
            startButton->setText(HangUpCaption);
            break;
        case StartButton::Continuous:
            startButton->setText(ContinuousCaption);
            break;
        case StartButton::AttemptFailed:
            startButton->setText(QStringLiteral("連続中(%1)").arg(count));
            break;
        case StartButton::Waiting:
            startButton->setText(QStringLiteral("待機中:%1").arg(count));
            break;
    }
}

void DialPad::startClicked() {
    link_.startDial(numberField->text());
    if (numberField->text().isEmpty() && link_.dial().readyToDial()) {
        numberField->setFocus();
    }
}

void DialPad::countElapsed() {
    link_.endContinuousDialRun();
    ++elapsedSeconds;
    statusPanel->setText(protocol::elapsedText(elapsedSeconds));
}

void DialPad::blink() {
    statusPanel->setText(statusPanel->text() == DialingText ? QString() : DialingText);
}

void DialPad::hangUpAndReturn() {
    link_.endDialRun();
    // A port that went away must not keep the pad from closing.
    context.guarded([this] { link_.hangUp(); });
    hide();
    stopCounting();
    elapsedSeconds = 0;
    statusPanel->clear();
    namePanel->clear();
    numberField->clear();
    link_.closeDial();
    context.guarded([this] { context.nav().returnToCaller(); });
}

void DialPad::closeEvent(QCloseEvent* event) {
    hangUpAndReturn();
    event->accept();
}

// Enter in the number field dials, as the default button would.
void DialPad::keyPressEvent(QKeyEvent* event) {
    if (isDefaultButtonKey(event)) {
        context.guarded([this] { startClicked(); });
        return;
    }
    WindowBase::keyPressEvent(event);
}
