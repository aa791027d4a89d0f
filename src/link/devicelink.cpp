#include "link/devicelink.h"

#include <algorithm>
#include <exception>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include "app/application.h"
#include "app/mainmenuwindow.h"
#include "calllog/calllogwindow.h"
#include "calllog/clockreply.h"
#include "calllog/progresswindow.h"
#include "calllog/secondsscale.h"
#include "dial/dialpad.h"
#include "link/hgcommands.h"
#include "link/portmessagewindow.h"
#include "settings/chargereply.h"
#include "settings/chargeswindow.h"
#include "settings/optionswindow.h"
#include "settings/passwordwindow.h"
#include "ui/dialogs.h"
#include "ui/gauge.h"

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

DeviceLink::DeviceLink(Application& app)
    : WindowBase(app, QStringLiteral(""), 0),
      serialPort(app.SerialDevices),
      transferTickTimer(app.Ui.timers),
      downloadStepTimer(app.Ui.timers),
      chargesReplyTimer(app.Ui.timers),
      dialPrologueTimer(app.Ui.timers) {
    serialPort.setBaudRate(19200);
    serialPort.onReceive = [this](SerialPort& sender, uint16_t size) {
        receiveBytes(sender, size);
    };
    serialPort.onHandlerError = [&app](const QString& message) { app.showException(message); };
    // Only a download waits on the line long enough to need telling; the progress window is
    // shown for exactly as long as one runs.
    serialPort.onDeviceGone = [this] {
        if (this->app.windows.progress->isVisible()) {
            failDownload();
        }
    };
    transferTickTimer.OnTimer = [this] { transferTick(); };
    downloadStepTimer.OnTimer = [this] { downloadStep(); };
    chargesReplyTimer.OnTimer = [this] { showChargesReply(); };
    dialPrologueTimer.OnTimer = [this] { dialPrologueStep(); };
}

void DeviceLink::receiveBytes(SerialPort& sender, uint16_t size) {
    ProgramState& s = app.State;
    ui::IntervalTimer& replyCheck = app.windows.dialPad->replyCheckTimer;
    replyCheck.setInterval(0);
    std::vector<char> buffer(size + 1u, 0);
    sender.read(buffer.data(), size);
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

void DeviceLink::startDownload(WindowBase* caller) {
    ProgramState& s = app.State;
    ProgressWindow* progress = app.windows.progress;
    downloadCaller_ = caller;
    serialPort.setPort(static_cast<uint8_t>(s.ComPort));
    try {
        // A close still pending from the last exchange would cut this one short.
        app.windows.options->closePortLater(0);
        serialPort.open();
        serialPort.writeText(hg::LogModeTel1Command(s));
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, or the next exchange would reuse it.
        serialPort.close();
        app.windows.portMessage->show();
        return;
    }
    progress->show();
    progress->raise();
    s.exchangeStep = 0;
    s.LoadProgress = 0;
    progress->gauge->setProgress(0);
    transferTickTimer.setInterval(0);
    app.windows.options->tel2LogModeTimer.setInterval(Tel2ModeDelay);
    downloadStepTimer.setInterval(FirstStepDelay);
}

void DeviceLink::downloadStep() {
    ProgramState& s = app.State;
    ui::Gauge* gauge = app.windows.progress->gauge;
    switch (s.exchangeStep) {
        case 0:
            gauge->setProgress(10);
            s.RxIndex = 0;
            s.LoadProgress = 0;
            s.exchangeStep = 1;
            if (sendDownloadCommand(hg::LogIdentifyCommand())) {
                downloadStepTimer.setInterval(StepInterval);
            }
            break;
        case 1:
            gauge->setProgress(20);
            s.PasswordCode = 0;
            s.adapterIdentified = 1;
            s.RxIndex = 0;
            s.LoadProgress = 0;
            s.exchangeStep = 2;
            // What an earlier exchange left there must not pass for the adapter's clock.
            std::fill_n(s.RxBuffer.begin(), ClockReplyBytes, 0);
            sendDownloadCommand(hg::ClockRequestCommand());
            break;
        default:
            gauge->setProgress(30);
            downloadStepTimer.setInterval(0);
            if (s.RxIndex < ClockReplyBytes) {
                failDownload();
                return;
            }
            calllog::storePcClock(s, app.Ui.wallClock);
            s.HgClockSeconds = calllog::HgClockSecondsOf(s.RxBuffer);
            // The difference wraps as 32-bit arithmetic does.
            s.ClockDifference = static_cast<int32_t>(static_cast<uint32_t>(s.PcClockSeconds) -
                                                     static_cast<uint32_t>(s.HgClockSeconds));
            s.PasswordCode = calllog::PasswordCodeOf(s.RxBuffer);
            if (s.PasswordCode != s.EnteredPasswordCode && s.PasswordCode != 0) {
                gauge->setProgress(0);
                PasswordWindow* password = app.windows.password;
                password->passwordField->clear();
                password->show();
                password->raise();
                password->passwordField->setFocus();
            } else {
                requestLogImage();
            }
            break;
    }
}

void DeviceLink::transferTick() {
    ProgramState& s = app.State;
    ProgressWindow* progress = app.windows.progress;
    s.LoadProgress += ProgressStep;
    if (s.RxIndex >= ImageArrivedBytes && s.LoadProgress < 100) {
        s.LoadProgress = 100;
    }
    if (s.LoadProgress <= 100) {
        progress->gauge->setProgress(s.LoadProgress);
        return;
    }
    // Less than a whole image is a transfer that broke off, not a shorter log.
    if (s.RxIndex < ImageArrivedBytes) {
        failDownload();
        return;
    }
    progress->gauge->setProgress(100);
    transferTickTimer.setInterval(0);
    progress->hide();
    progress->gauge->setProgress(0);
    std::copy_n(s.RxBuffer.begin(), LogImageBytes, s.LogImage.begin());
    CallLogWindow* callLog = app.windows.callLog;
    // A failed conversion is told; the rows written so far are still shown and the port closes.
    app.guarded([callLog] { callLog->convertLog(); });
    callLog->filterPanel->setText(QStringLiteral("全て表示する"));
    app.windows.mainMenu->callLogTable.setFiltered(false);
    callLog->show();
    callLog->raise();
    callLog->grid->setFocus();
    app.windows.options->closePortLater(DownloadPortCloseDelay);
}

void DeviceLink::requestLogImage() {
    ProgramState& s = app.State;
    s.RxIndex = 0;
    // The image is only what arrives for this request, never the rest of an earlier one.
    std::fill_n(s.RxBuffer.begin(), LogImageBytes, 0);
    if (!sendDownloadCommand(hg::LogRequestCommand(s.PasswordCode))) {
        return;
    }
    s.LoadProgress = 20;
    transferTickTimer.setInterval(TransferTick);
}

bool DeviceLink::sendDownloadCommand(const QByteArray& command) {
    try {
        serialPort.writeText(command);
        return true;
    } catch (const std::exception&) {
        failDownload();
        return false;
    }
}

void DeviceLink::stopDownload() {
    transferTickTimer.setInterval(0);
    downloadStepTimer.setInterval(0);
}

void DeviceLink::failDownload() {
    stopDownload();
    app.windows.options->tel2LogModeTimer.setInterval(0);
    app.windows.password->hide();
    ProgressWindow* progress = app.windows.progress;
    progress->hide();
    progress->gauge->setProgress(0);
    app.windows.options->closePortLater(0);
    app.windows.mainMenu->closePort();
    app.Ui.dialogs.messageBox(
        nullptr,
        QStringLiteral(
            "HGから通話記録を受信できませんでした。\nケーブルの接続とHGの電源を確認してください。"),
        ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    if (downloadCaller_ != nullptr) {
        downloadCaller_->show();
        downloadCaller_->raise();
    } else {
        app.windows.mainMenu->showMenu();
    }
}

void DeviceLink::requestCharges() {
    serialPort.setPort(static_cast<uint8_t>(app.State.ComPort));
    try {
        serialPort.open();
        app.State.RxIndex = 0;
        serialPort.writeText(hg::ChargeReportCommand());
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, or the next exchange would reuse it.
        serialPort.close();
        app.windows.portMessage->show();
        return;
    }
    chargesReplyTimer.setInterval(500);
}

void DeviceLink::showChargesReply() {
    chargesReplyTimer.setInterval(0);
    const settings::ChargeAmounts amounts =
        settings::ParseChargeReply(app.State.RxBuffer.data(), app.State.RxBuffer.size());
    app.windows.options->closePortLater(500);
    app.windows.charges->showCharges(amounts);
}

void DeviceLink::dialPrologueStep() {
    ProgramState& s = app.State;
    dialPrologueTimer.setInterval(700);
    try {
        if (s.adapterIdentified == 1) {
            dialPrologueTimer.setInterval(0);
            serialPort.open();
            s.exchangeStep = 0;
            app.windows.dialPad->dialOrHangUp(s.dialOnOpen);
            return;
        }
        switch (s.exchangeStep) {
            case 0:
                serialPort.setPort(static_cast<uint8_t>(s.ComPort));
                serialPort.open();
                serialPort.writeText(hg::EchoOffCommand());
                s.exchangeStep = 1;
                break;
            case 1:
                s.RxIndex = 0;
                s.exchangeStep = 2;
                serialPort.writeText(hg::IdentifyCommand());
                break;
            default:
                dialPrologueTimer.setInterval(0);
                s.adapterIdentified = 1;
                s.exchangeStep = 0;
                app.windows.dialPad->dialOrHangUp(s.dialOnOpen);
                break;
        }
    } catch (const std::exception&) {
        // Not left open on a port that may not answer, and no pad without its port.
        dialPrologueTimer.setInterval(0);
        serialPort.close();
        s.DialInProgress = 0;
        app.windows.dialPad->hide();
        app.windows.portMessage->show();
    }
}
