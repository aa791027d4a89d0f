#include "windows/dialpad.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "protocol/dialreply.h"
#include "protocol/hgcommands.h"
#include "rules/telnumber.h"
#include "ui/sjis.h"
#include "windows/navigation.h"
#include "windows/windowcontext.h"

namespace {

constexpr int NumberFieldLength = 22;
constexpr int SetupPrologueMs = 500;
constexpr int ElapsedMs = 1000;
constexpr int BlinkMs = 500;
constexpr int WaitTickMs = 1000;
// Ticks of the wait between two attempts: automatic re-calling must leave the line alone for a
// while, so the next attempt goes out when the count shown reaches 0.
constexpr int WaitTicksPerAttempt = 60;
// A continuous run ends with the attempt of this number.
constexpr int MaxAttempt = 100;

const QString DialingText = QStringLiteral("ダイヤル中");
const QString StartCaption = QStringLiteral("ダイヤル開始");
const QString HangUpCaption = QStringLiteral("回線切断");
const QString ContinuousCaption = QStringLiteral("連続ダイヤル");

QString textOf(const QByteArray& bytes) {
    return sjis::toUnicode(bytes);
}

}  // namespace

DialPad::DialPad(WindowContext& app)
    : WindowBase(app, QStringLiteral("ダイヤル発信"), 13),
      elapsedTimer(app.Ui.timers),
      blinkTimer(app.Ui.timers),
      continuousWaitTimer(app.Ui.timers) {
    elapsedTimer.OnTimer = [this] { countElapsed(); };
    blinkTimer.OnTimer = [this] { blink(); };
    continuousWaitTimer.OnTimer = [this] { continuousWaitTick(); };
    app.link.replyCheckTimer.OnTimer = [this] { checkReply(); };
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
            [this] { app.guarded([this] { redialClicked(); }); });

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
            [this] { app.guarded([this] { startClicked(); }); });
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
    ProgramState& s = app.State;
    numberField->setFocus();
    if (s.RedialList[0].empty()) {
        return;
    }
    numberField->setText(textOf(s.RedialList.at(static_cast<size_t>(redialIndex)).bytes()));
    caretToEnd();
    showBookName();
    --redialIndex;
    if (redialIndex < 0) {
        for (int slot = ProgramState::RedialSlots - 1; slot >= 0; --slot) {
            if (!s.RedialList[static_cast<size_t>(slot)].empty()) {
                redialIndex = slot;
                break;
            }
        }
    }
}

void DialPad::normalModeClicked() {
    app.State.ContinuousDial = 0;
    startButton->setText(StartCaption);
}

void DialPad::continuousModeClicked() {
    waitTicks = 0;
    redialIndex = 1;
    app.State.ContinuousDial = 1;
    startButton->setText(ContinuousCaption);
}

void DialPad::enableKeys(bool enabled) {
    numberField->setEnabled(enabled);
    for (QPushButton* key : {key1Button, key2Button, key3Button, key4Button, key5Button, key6Button,
                             key7Button, key8Button, key9Button, key0Button, starKeyButton,
                             backspaceButton, hashKeyButton, redialButton}) {
        key->setEnabled(enabled);
    }
}

void DialPad::showBookName() {
    db::PhoneBookTable& table = app.phoneBookTable;
    table.setIndex(db::PhoneBookTable::Index::Tel2);
    namePanel->clear();
    if (table.findKey(calllog::lookupDigits(numberField->text()))) {
        namePanel->setText(table.current()->Name);
    }
}

void DialPad::openToDial(uint8_t dialNow, const QString& number) {
    ProgramState& s = app.State;
    s.RxIndex = 0;
    s.exchangeStep = 0;
    s.dialOnOpen = dialNow;
    s.DialNumber.assign(sjis::fromUnicode(number));
    app.link.dialPrologueTimer.setInterval(SetupPrologueMs);
}

void DialPad::dialOrHangUp(uint8_t dial) {
    ProgramState& s = app.State;
    SerialPort& comm = app.link.serialPort;
    elapsedTimer.setInterval(0);
    blinkTimer.setInterval(0);
    continuousWaitTimer.setInterval(0);
    s.DialInProgress = 1;
    comm.setPort(static_cast<uint8_t>(s.ComPort));
    show();
    raise();
    if (s.ContinuousDial == 0) {
        redialIndex = 0;
    }
    // An empty number opens the pad without a word to the adapter; but a dial that went out
    // with no digits is still an attempt under way, and hanging it up must not be skipped.
    if (s.DialNumber.empty() && readyToDial) {
        return;
    }
    if (dial == 1) {
        numberField->setFocus();
        s.DialNumber.assign(
            sjis::fromUnicode(calllog::normalizeNumber(textOf(s.DialNumber.bytes()))));
        numberField->setText(textOf(s.DialNumber.bytes()));
        showBookName();
        s.DialNumber.assign(sjis::fromUnicode(calllog::lookupDigits(textOf(s.DialNumber.bytes()))));
        comm.writeText(hg::DialCommand(s.DialLine, s.DialNumber.bytes()));
        readyToDial = false;
        startButton->setText(HangUpCaption);
        elapsedSeconds = 0;
        blinkTimer.setInterval(BlinkMs);
        continuousWaitTimer.setInterval(0);
        if (redialIndex == 0) {
            s.RedialList[static_cast<size_t>(s.RedialCount)].assign(s.DialNumber.bytes());
            ++s.RedialCount;
            if (s.RedialCount > ProgramState::RedialSlots - 1) {
                s.RedialCount = 0;
            }
        }
    } else {
        comm.writeText(hg::HangUpCommand(s.DialLine));
        readyToDial = true;
        if (statusPanel->text() == DialingText) {
            statusPanel->clear();
        }
        elapsedSeconds = 0;
        elapsedTimer.setInterval(0);
        blinkTimer.setInterval(0);
        if (s.ContinuousDial != 0) {
            startButton->setText(QStringLiteral("連続中(%1)").arg(redialIndex));
            waitTicks = 0;
            continuousWaitTimer.setInterval(WaitTickMs);
            readyToDial = false;
        } else {
            startButton->setText(StartCaption);
        }
    }
    enableKeys(readyToDial);
    if (readyToDial) {
        numberField->setFocus();
    }
    if (redialIndex > MaxAttempt - 1) {
        s.ContinuousDial = 0;
        redialIndex = 0;
        continuousWaitTimer.setInterval(0);
    }
}

void DialPad::startClicked() {
    ProgramState& s = app.State;
    app.link.dialPrologueTimer.setInterval(0);
    if (redialIndex > 0 && startButton->text() != ContinuousCaption) {
        s.ContinuousDial = 0;
        waitTicks = 0;
        enableKeys(true);
        dialOrHangUp(0);
    }
    s.RxIndex = 0;
    s.DialNumber.assign(sjis::fromUnicode(numberField->text()));
    if (!numberField->text().isEmpty()) {
        dialOrHangUp(readyToDial ? 1 : 0);
    } else if (!readyToDial) {
        // A dial sent without digits leaves the field empty; the button still hangs it up.
        dialOrHangUp(0);
    } else {
        numberField->setFocus();
    }
}

void DialPad::countElapsed() {
    app.State.ContinuousDial = 0;
    ++elapsedSeconds;
    statusPanel->setText(dial::ElapsedText(elapsedSeconds));
}

void DialPad::blink() {
    statusPanel->setText(statusPanel->text() == DialingText ? QString() : DialingText);
}

void DialPad::continuousWaitTick() {
    ++waitTicks;
    if (app.State.ContinuousDial != 0) {
        startButton->setText(QStringLiteral("待機中:%1").arg(WaitTicksPerAttempt - waitTicks));
    }
    if (waitTicks >= WaitTicksPerAttempt) {
        ++redialIndex;
        waitTicks = 0;
        enableKeys(true);
        dialOrHangUp(1);
    }
}

void DialPad::checkReply() {
    ProgramState& s = app.State;
    app.link.replyCheckTimer.setInterval(0);
    const dial::DialReply reply =
        dial::MatchDialReply(s.RxBuffer.data(), s.RxBuffer.size(), s.RxIndex, s.DialLine);
    if (reply.action == dial::ReplyAction::None) {
        return;
    }
    if (reply.panelText) {
        statusPanel->setText(*reply.panelText);
    }
    blinkTimer.setInterval(0);
    s.RxIndex = 0;
    switch (reply.action) {
        case dial::ReplyAction::Connected:
            elapsedTimer.setInterval(ElapsedMs);
            // The adapter's log now holds this call: the next look at the call log downloads.
            s.LogImage[0] = 255;
            break;
        case dial::ReplyAction::ClearedRaw:
            elapsedTimer.setInterval(0);
            dialOrHangUp(0);
            break;
        default:
            dialOrHangUp(0);
            break;
    }
}

void DialPad::hangUpAndReturn() {
    ProgramState& s = app.State;
    redialIndex = 0;
    s.ContinuousDial = 0;
    waitTicks = 0;
    enableKeys(true);
    // A port that went away must not keep the pad from closing.
    app.guarded([this] { dialOrHangUp(0); });
    hide();
    elapsedTimer.setInterval(0);
    blinkTimer.setInterval(0);
    continuousWaitTimer.setInterval(0);
    elapsedSeconds = 0;
    statusPanel->clear();
    namePanel->clear();
    s.DialNumber.clear();
    numberField->clear();
    app.link.serialPort.close();
    app.link.replyCheckTimer.setInterval(0);
    s.DialInProgress = 0;
    startButton->setText(StartCaption);
    app.guarded([this] { app.nav().returnToCaller(); });
}

void DialPad::closeEvent(QCloseEvent* event) {
    hangUpAndReturn();
    event->accept();
}

// Enter in the number field dials, as the default button would.
void DialPad::keyPressEvent(QKeyEvent* event) {
    if (isDefaultButtonKey(event)) {
        app.guarded([this] { startClicked(); });
        return;
    }
    WindowBase::keyPressEvent(event);
}
