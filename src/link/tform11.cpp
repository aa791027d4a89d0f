#include "link/tform11.h"

#include <algorithm>
#include <exception>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include "app/application.h"
#include "app/tmain.h"
#include "calllog/clockreply.h"
#include "calllog/secondsscale.h"
#include "calllog/tform13.h"
#include "calllog/tform2.h"
#include "dial/tdialsystem.h"
#include "link/hgcommands.h"
#include "link/tform14.h"
#include "settings/chargereply.h"
#include "settings/tform15.h"
#include "settings/tform5.h"
#include "settings/tform7.h"
#include "ui/dialogs.h"
#include "ui/tgauge.h"

namespace {

// The log download's pacing and the size of the image it takes.
constexpr int Tel2ModeDelay = 600;
constexpr int FirstStepDelay = 1800;
constexpr int StepInterval = 700;
constexpr int TransferTick = 700;
constexpr int ProgressStep = 20;
constexpr int ClockReplyBytes = 9;
constexpr int ImageArrivedBytes = 3078;
constexpr int LogImageBytes = 3086;
constexpr int DownloadPortCloseDelay = 1000;

}  // namespace

TForm11::TForm11(Application& app)
    : TFormBase(app, QStringLiteral(""), 0),
      Comm1(app.SerialDevices),
      Timer1(app.Ui.timers),
      Timer2(app.Ui.timers),
      Timer3(app.Ui.timers),
      Timer4(app.Ui.timers) {
    Comm1.setBaudRate(19200);
    Comm1.OnCommReceive = [this](TComm& sender, uint16_t size) { Comm1CommReceive(sender, size); };
    Comm1.OnHandlerError = [&app](const QString& message) { app.showException(message); };
    // Only a download waits on the line long enough to need telling; the progress window is
    // shown for exactly as long as one runs.
    Comm1.OnDeviceGone = [this] {
        if (this->app.F.Form13->isVisible()) {
            DownloadFailed();
        }
    };
    Timer1.OnTimer = [this] { Timer1Timer(); };
    Timer2.OnTimer = [this] { Timer2Timer(); };
    Timer3.OnTimer = [this] { Timer3Timer(); };
    Timer4.OnTimer = [this] { Timer4Timer(); };
}

void TForm11::Comm1CommReceive(TComm& sender, uint16_t size) {
    ProgramState& s = app.State;
    ui::TTimer& replyCheck = app.F.DialSystem->Timer4;
    replyCheck.setInterval(0);
    std::vector<char> buffer(size + 1u, 0);
    sender.Read(buffer.data(), size);
    for (uint16_t i = 0; i < size; ++i) {
        s.RxBuffer[static_cast<size_t>(s.RxIndex)] = static_cast<uint8_t>(buffer[i]);
        ++s.RxIndex;
        if (s.RxIndex > ProgramState::RxBufferSize - 1) {
            s.RxIndex = 0;
        }
    }
    if (s.DialInProgress == 1) {
        replyCheck.setInterval(500);
    }
}

void TForm11::GethgTime(TFormBase* caller) {
    ProgramState& s = app.State;
    TForm13* progress = app.F.Form13;
    downloadCaller_ = caller;
    Comm1.setPort(static_cast<uint8_t>(s.ComPort));
    try {
        // A close still pending from the last exchange would cut this one short.
        app.F.Form5->DelayComClose(0);
        Comm1.Open();
        Comm1.WriteText(hg::LogModeTel1Command(s));
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, or the next exchange would reuse it.
        Comm1.Close();
        app.F.Form14->show();
        return;
    }
    progress->show();
    progress->raise();
    s.LinkStep = 0;
    s.LoadProgress = 0;
    progress->Gauge1->setProgress(0);
    Timer1.setInterval(0);
    app.F.Form5->Timer1.setInterval(Tel2ModeDelay);
    Timer2.setInterval(FirstStepDelay);
}

void TForm11::Timer2Timer() {
    ProgramState& s = app.State;
    ui::TGauge* gauge = app.F.Form13->Gauge1;
    switch (s.LinkStep) {
        case 0:
            gauge->setProgress(10);
            s.RxIndex = 0;
            s.LoadProgress = 0;
            s.LinkStep = 1;
            if (SendDownloadCommand(hg::LogIdentifyCommand())) {
                Timer2.setInterval(StepInterval);
            }
            break;
        case 1:
            gauge->setProgress(20);
            s.PasswordCode = 0;
            s.DeviceReady = 1;
            s.RxIndex = 0;
            s.LoadProgress = 0;
            s.LinkStep = 2;
            // What an earlier exchange left there must not pass for the adapter's clock.
            std::fill_n(s.RxBuffer.begin(), ClockReplyBytes, 0);
            SendDownloadCommand(hg::ClockRequestCommand());
            break;
        default:
            gauge->setProgress(30);
            Timer2.setInterval(0);
            if (s.RxIndex < ClockReplyBytes) {
                DownloadFailed();
                return;
            }
            calllog::PcTimeToSec(s, app.Ui.wallClock);
            s.HgClockSeconds = calllog::HgClockSecondsOf(s.RxBuffer);
            // The difference wraps as 32-bit arithmetic does.
            s.ClockDifference = static_cast<int32_t>(static_cast<uint32_t>(s.PcClockSeconds) -
                                                     static_cast<uint32_t>(s.HgClockSeconds));
            s.PasswordCode = calllog::PasswordCodeOf(s.RxBuffer);
            if (s.PasswordCode != s.EnteredPasswordCode && s.PasswordCode != 0) {
                gauge->setProgress(0);
                TForm7* password = app.F.Form7;
                password->Edit1->clear();
                password->show();
                password->raise();
                password->Edit1->setFocus();
            } else {
                LogDataLoad();
            }
            break;
    }
}

void TForm11::Timer1Timer() {
    ProgramState& s = app.State;
    TForm13* progress = app.F.Form13;
    s.LoadProgress += ProgressStep;
    if (s.RxIndex >= ImageArrivedBytes && s.LoadProgress < 100) {
        s.LoadProgress = 100;
    }
    if (s.LoadProgress <= 100) {
        progress->Gauge1->setProgress(s.LoadProgress);
        return;
    }
    // Less than a whole image is a transfer that broke off, not a shorter log.
    if (s.RxIndex < ImageArrivedBytes) {
        DownloadFailed();
        return;
    }
    progress->Gauge1->setProgress(100);
    Timer1.setInterval(0);
    progress->hide();
    progress->Gauge1->setProgress(0);
    std::copy_n(s.RxBuffer.begin(), LogImageBytes, s.LogImage.begin());
    TForm2* callLog = app.F.Form2;
    // A failed conversion is told; the rows written so far are still shown and the port closes.
    app.guarded([callLog] { callLog->LogConv(); });
    callLog->Panel10->setText(QStringLiteral("全て表示する"));
    app.F.Main->LogTable.setFiltered(false);
    callLog->show();
    callLog->raise();
    callLog->DBGrid1->setFocus();
    app.F.Form5->DelayComClose(DownloadPortCloseDelay);
}

void TForm11::LogDataLoad() {
    ProgramState& s = app.State;
    s.RxIndex = 0;
    // The image is only what arrives for this request, never the rest of an earlier one.
    std::fill_n(s.RxBuffer.begin(), LogImageBytes, 0);
    if (!SendDownloadCommand(hg::LogRequestCommand(s.PasswordCode))) {
        return;
    }
    s.LoadProgress = 20;
    Timer1.setInterval(TransferTick);
}

bool TForm11::SendDownloadCommand(const QByteArray& command) {
    try {
        Comm1.WriteText(command);
        return true;
    } catch (const std::exception&) {
        DownloadFailed();
        return false;
    }
}

void TForm11::DownloadFailed() {
    Timer1.setInterval(0);
    Timer2.setInterval(0);
    app.F.Form5->Timer1.setInterval(0);
    app.F.Form7->hide();
    TForm13* progress = app.F.Form13;
    progress->hide();
    progress->Gauge1->setProgress(0);
    app.F.Form5->DelayComClose(0);
    app.F.Main->ComClose();
    app.Ui.dialogs.messageBox(
        nullptr,
        QStringLiteral(
            "HGから通話記録を受信できませんでした。\nケーブルの接続とHGの電源を確認してください。"),
        ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    if (downloadCaller_ != nullptr) {
        downloadCaller_->show();
        downloadCaller_->raise();
    } else {
        app.F.Main->MenuShow();
    }
}

void TForm11::GetTelData() {
    Comm1.setPort(static_cast<uint8_t>(app.State.ComPort));
    try {
        Comm1.Open();
        app.State.RxIndex = 0;
        Comm1.WriteText(hg::ChargeReportCommand());
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, or the next exchange would reuse it.
        Comm1.Close();
        app.F.Form14->show();
        return;
    }
    Timer3.setInterval(500);
}

void TForm11::Timer3Timer() {
    Timer3.setInterval(0);
    const settings::ChargeAmounts amounts =
        settings::ParseChargeReply(app.State.RxBuffer.data(), app.State.RxBuffer.size());
    app.F.Form5->DelayComClose(500);
    app.F.Form15->ChargesShow(amounts);
}

void TForm11::Timer4Timer() {
    ProgramState& s = app.State;
    Timer4.setInterval(700);
    try {
        if (s.DeviceReady == 1) {
            Timer4.setInterval(0);
            Comm1.Open();
            s.LinkStep = 0;
            app.F.DialSystem->Dialstart(s.DialFromBook);
            return;
        }
        switch (s.LinkStep) {
            case 0:
                Comm1.setPort(static_cast<uint8_t>(s.ComPort));
                Comm1.Open();
                Comm1.WriteText(hg::EchoOffCommand());
                s.LinkStep = 1;
                break;
            case 1:
                s.RxIndex = 0;
                s.LinkStep = 2;
                Comm1.WriteText(hg::IdentifyCommand());
                break;
            default:
                Timer4.setInterval(0);
                s.DeviceReady = 1;
                s.LinkStep = 0;
                app.F.DialSystem->Dialstart(s.DialFromBook);
                break;
        }
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, and no pad without its port.
        Timer4.setInterval(0);
        Comm1.Close();
        s.DialInProgress = 0;
        app.F.DialSystem->hide();
        app.F.Form14->show();
    }
}
