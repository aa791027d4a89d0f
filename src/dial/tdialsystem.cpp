#include "dial/tdialsystem.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "app/application.h"
#include "app/tmain.h"
#include "calllog/callershow.h"
#include "calllog/telnumber.h"
#include "dial/dialreply.h"
#include "link/hgcommands.h"
#include "link/tform11.h"
#include "ui/sjis.h"

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

TDialSystem::TDialSystem(Application& app)
    : TFormBase(app, QStringLiteral("ダイヤル発信"), 13),
      Timer1(app.Ui.timers),
      Timer2(app.Ui.timers),
      Timer3(app.Ui.timers),
      Timer4(app.Ui.timers) {
    Timer1.OnTimer = [this] { Timer1Timer(); };
    Timer2.OnTimer = [this] { Timer2Timer(); };
    Timer3.OnTimer = [this] { Timer3Timer(); };
    Timer4.OnTimer = [this] { Timer4Timer(); };
    buildWindow();
}

void TDialSystem::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setClientSize(200, 290);

    Panel4 = new QLabel(this);
    Panel4->setGeometry(8, 8, 184, 22);
    Panel4->setFrameShape(QFrame::Panel);
    Panel4->setFrameShadow(QFrame::Sunken);
    Panel4->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont bold = Panel4->font();
    bold.setBold(true);
    Panel4->setFont(bold);

    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(8, 36, 148, 26);
    Edit1->setMaxLength(NumberFieldLength);
    // Numbers are typed directly, never composed.
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, false);
    Button16 = new QPushButton(QStringLiteral("R"), this);
    Button16->setToolTip(QStringLiteral("リダイヤル"));
    Button16->setGeometry(162, 36, 30, 26);
    Button16->setFocusPolicy(Qt::NoFocus);
    connect(Button16, &QPushButton::clicked, this,
            [this] { app.guarded([this] { Button16Click(); }); });

    Button1 = addKey(QStringLiteral("１"), '1', 8, 68);
    Button2 = addKey(QStringLiteral("２"), '2', 72, 68);
    Button3 = addKey(QStringLiteral("３"), '3', 136, 68);
    Button4 = addKey(QStringLiteral("４"), '4', 8, 100);
    Button5 = addKey(QStringLiteral("５"), '5', 72, 100);
    Button6 = addKey(QStringLiteral("６"), '6', 136, 100);
    Button7 = addKey(QStringLiteral("７"), '7', 8, 132);
    Button8 = addKey(QStringLiteral("８"), '8', 72, 132);
    Button9 = addKey(QStringLiteral("９"), '9', 136, 132);
    Button11 = addKey(QStringLiteral("＊"), '*', 8, 164);
    Button10 = addKey(QStringLiteral("０"), '0', 72, 164);
    Button14 = addKey(QStringLiteral("#"), '#', 136, 164);

    Button12 = new QPushButton(QStringLiteral("BS"), this);
    Button12->setGeometry(8, 196, 56, 28);
    Button12->setFocusPolicy(Qt::NoFocus);
    connect(Button12, &QPushButton::clicked, this, &TDialSystem::Button12Click);

    Button13 = new QPushButton(StartCaption, this);
    Button13->setGeometry(72, 196, 120, 28);
    Button13->setDefault(true);
    Button13->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Button13, &QPushButton::clicked, this,
            [this] { app.guarded([this] { Button13Click(); }); });
    PopupMenu1 = new QMenu(this);
    K1 = PopupMenu1->addAction(QStringLiteral("通常モード"), this, &TDialSystem::K1Click);
    K2 = PopupMenu1->addAction(QStringLiteral("連続モード"), this, &TDialSystem::K2Click);
    PopupMenu1->addSeparator();
    K3 = PopupMenu1->addAction(QStringLiteral("キャンセル"));
    connect(Button13, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Button13->mapToGlobal(at)); });

    Panel3 = new QLabel(this);
    Panel3->setGeometry(8, 230, 184, 22);
    Panel3->setFrameShape(QFrame::Panel);
    Panel3->setFrameShadow(QFrame::Sunken);
    Panel3->setAlignment(Qt::AlignCenter);

    Button15 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button15->setGeometry(56, 258, 88, 26);
    connect(Button15, &QPushButton::clicked, this, &QWidget::close);
}

QPushButton* TDialSystem::addKey(const QString& caption, char key, int left, int top) {
    auto* button = new QPushButton(caption, this);
    button->setGeometry(left, top, 56, 28);
    // The keyboard focus stays in the number field.
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, key] { KeyClick(key); });
    return button;
}

void TDialSystem::caretToEnd() {
    Edit1->end(false);
}

void TDialSystem::KeyClick(char key) {
    if (Edit1->text().size() >= NumberFieldLength) {
        return;
    }
    Edit1->setFocus();
    Edit1->setText(Edit1->text() + QLatin1Char(key));
    caretToEnd();
}

void TDialSystem::Button12Click() {
    Edit1->setText(Edit1->text().chopped(Edit1->text().isEmpty() ? 0 : 1));
    caretToEnd();
    Edit1->setFocus();
}

void TDialSystem::Button16Click() {
    ProgramState& s = app.State;
    Edit1->setFocus();
    if (s.RedialList[0].empty()) {
        return;
    }
    Edit1->setText(textOf(s.RedialList.at(static_cast<size_t>(RedialIndex)).bytes()));
    caretToEnd();
    LookupBookName();
    --RedialIndex;
    if (RedialIndex < 0) {
        for (int slot = ProgramState::RedialSlots - 1; slot >= 0; --slot) {
            if (!s.RedialList[static_cast<size_t>(slot)].empty()) {
                RedialIndex = slot;
                break;
            }
        }
    }
}

void TDialSystem::K1Click() {
    app.State.ContinuousDial = 0;
    Button13->setText(StartCaption);
}

void TDialSystem::K2Click() {
    WaitTicks = 0;
    RedialIndex = 1;
    app.State.ContinuousDial = 1;
    Button13->setText(ContinuousCaption);
}

void TDialSystem::TenKey(bool enabled) {
    Edit1->setEnabled(enabled);
    for (QPushButton* key : {Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,
                             Button9, Button10, Button11, Button12, Button14, Button16}) {
        key->setEnabled(enabled);
    }
}

void TDialSystem::LookupBookName() {
    db::UserTable& table = app.F.Main->UserTable;
    table.setIndex(db::UserTable::Index::Tel2);
    Panel4->clear();
    if (table.findKey(calllog::TelDigits(Edit1->text()))) {
        Panel4->setText(table.current()->Name);
    }
}

void TDialSystem::setup(uint8_t dialNow, const QString& number) {
    ProgramState& s = app.State;
    s.RxIndex = 0;
    s.LinkStep = 0;
    s.DialFromBook = dialNow;
    s.DialNumber.assign(sjis::fromUnicode(number));
    app.F.Form11->Timer4.setInterval(SetupPrologueMs);
}

void TDialSystem::Dialstart(uint8_t flag) {
    ProgramState& s = app.State;
    TComm& comm = app.F.Form11->Comm1;
    Timer1.setInterval(0);
    Timer2.setInterval(0);
    Timer3.setInterval(0);
    s.DialInProgress = 1;
    comm.setPort(static_cast<uint8_t>(s.ComPort));
    show();
    raise();
    if (s.ContinuousDial == 0) {
        RedialIndex = 0;
    }
    // An empty number opens the pad without a word to the adapter; but a dial that went out
    // with no digits is still an attempt under way, and hanging it up must not be skipped.
    if (s.DialNumber.empty() && ReadyToDial) {
        return;
    }
    if (flag == 1) {
        Edit1->setFocus();
        s.DialNumber.assign(sjis::fromUnicode(calllog::TelNormalize(textOf(s.DialNumber.bytes()))));
        Edit1->setText(textOf(s.DialNumber.bytes()));
        LookupBookName();
        s.DialNumber.assign(sjis::fromUnicode(calllog::TelDigits(textOf(s.DialNumber.bytes()))));
        comm.WriteText(hg::DialCommand(s.DialLine, s.DialNumber.bytes()));
        ReadyToDial = false;
        Button13->setText(HangUpCaption);
        ElapsedSeconds = 0;
        Timer2.setInterval(BlinkMs);
        Timer3.setInterval(0);
        if (RedialIndex == 0) {
            s.RedialList[static_cast<size_t>(s.RedialCount)].assign(s.DialNumber.bytes());
            ++s.RedialCount;
            if (s.RedialCount > ProgramState::RedialSlots - 1) {
                s.RedialCount = 0;
            }
        }
    } else {
        comm.WriteText(hg::HangUpCommand(s.DialLine));
        ReadyToDial = true;
        if (Panel3->text() == DialingText) {
            Panel3->clear();
        }
        ElapsedSeconds = 0;
        Timer1.setInterval(0);
        Timer2.setInterval(0);
        if (s.ContinuousDial != 0) {
            Button13->setText(QStringLiteral("連続中(%1)").arg(RedialIndex));
            WaitTicks = 0;
            Timer3.setInterval(WaitTickMs);
            ReadyToDial = false;
        } else {
            Button13->setText(StartCaption);
        }
    }
    TenKey(ReadyToDial);
    if (ReadyToDial) {
        Edit1->setFocus();
    }
    if (RedialIndex > MaxAttempt - 1) {
        s.ContinuousDial = 0;
        RedialIndex = 0;
        Timer3.setInterval(0);
    }
}

void TDialSystem::Button13Click() {
    ProgramState& s = app.State;
    app.F.Form11->Timer4.setInterval(0);
    if (RedialIndex > 0 && Button13->text() != ContinuousCaption) {
        s.ContinuousDial = 0;
        WaitTicks = 0;
        TenKey(true);
        Dialstart(0);
    }
    s.RxIndex = 0;
    s.DialNumber.assign(sjis::fromUnicode(Edit1->text()));
    if (!Edit1->text().isEmpty()) {
        Dialstart(ReadyToDial ? 1 : 0);
    } else if (!ReadyToDial) {
        // A dial sent without digits leaves the field empty; the button still hangs it up.
        Dialstart(0);
    } else {
        Edit1->setFocus();
    }
}

void TDialSystem::Timer1Timer() {
    app.State.ContinuousDial = 0;
    ++ElapsedSeconds;
    Panel3->setText(dial::ElapsedText(ElapsedSeconds));
}

void TDialSystem::Timer2Timer() {
    Panel3->setText(Panel3->text() == DialingText ? QString() : DialingText);
}

void TDialSystem::Timer3Timer() {
    ++WaitTicks;
    if (app.State.ContinuousDial != 0) {
        Button13->setText(QStringLiteral("待機中:%1").arg(WaitTicksPerAttempt - WaitTicks));
    }
    if (WaitTicks >= WaitTicksPerAttempt) {
        ++RedialIndex;
        WaitTicks = 0;
        TenKey(true);
        Dialstart(1);
    }
}

void TDialSystem::Timer4Timer() {
    ProgramState& s = app.State;
    Timer4.setInterval(0);
    const dial::DialReply reply =
        dial::MatchDialReply(s.RxBuffer.data(), s.RxBuffer.size(), s.RxIndex, s.DialLine);
    if (reply.action == dial::ReplyAction::None) {
        return;
    }
    if (reply.panelText) {
        Panel3->setText(*reply.panelText);
    }
    Timer2.setInterval(0);
    s.RxIndex = 0;
    switch (reply.action) {
        case dial::ReplyAction::Connected:
            Timer1.setInterval(ElapsedMs);
            // The adapter's log now holds this call: the next look at the call log downloads.
            s.LogImage[0] = 255;
            break;
        case dial::ReplyAction::ClearedRaw:
            Timer1.setInterval(0);
            Dialstart(0);
            break;
        default:
            Dialstart(0);
            break;
    }
}

void TDialSystem::FormClose() {
    ProgramState& s = app.State;
    RedialIndex = 0;
    s.ContinuousDial = 0;
    WaitTicks = 0;
    TenKey(true);
    // A port that went away must not keep the pad from closing.
    app.guarded([this] { Dialstart(0); });
    hide();
    Timer1.setInterval(0);
    Timer2.setInterval(0);
    Timer3.setInterval(0);
    ElapsedSeconds = 0;
    Panel3->clear();
    Panel4->clear();
    s.DialNumber.clear();
    Edit1->clear();
    app.F.Form11->Comm1.Close();
    Timer4.setInterval(0);
    s.DialInProgress = 0;
    Button13->setText(StartCaption);
    app.guarded([this] { calllog::CallerShow(app, app.State.DialCaller); });
}

void TDialSystem::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

// Enter in the number field dials, as the default button would.
void TDialSystem::keyPressEvent(QKeyEvent* event) {
    if (isDefaultButtonKey(event)) {
        app.guarded([this] { Button13Click(); });
        return;
    }
    TFormBase::keyPressEvent(event);
}
