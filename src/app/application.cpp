#include "app/application.h"

#include <QLineEdit>
#include <QTableView>
#include <QWidget>

#include "app/navigator.h"
#include "app/startup.h"
#include "windows/aboutwindow.h"
#include "windows/archivewindow.h"
#include "windows/calllogwindow.h"
#include "windows/chargeswindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/confirmationwindow.h"
#include "windows/dialpad.h"
#include "windows/mainmenuwindow.h"
#include "windows/optionssavedwindow.h"
#include "windows/optionswindow.h"
#include "windows/passwordwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/portmessagewindow.h"
#include "windows/progresswindow.h"
#include "windows/recordeditor.h"
#include "windows/splashwindow.h"

Application::Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices,
                         QString executablePath, QString tableFolder, QString settingsPath)
    : WindowContext(ui, serialDevices, std::move(executablePath), std::move(tableFolder),
                    std::move(settingsPath)),
      splashTimer(ui.timers),
      archiveTotals(callArchive, ui.timers, [this](const QString& text) { showException(text); }),
      archiveCheck(callArchive, [this](const QString& text) { showException(text); }),
      navigator_(std::make_unique<Navigator>(*this)) {
    navigation_ = navigator_.get();
    splashTimer.onElapsed = [this] { endSplash(); };
}

Application::~Application() {
    while (!windows_.empty()) {
        windows_.pop_back();
    }
}

bool Application::start() {
    splash_ = std::make_unique<SplashWindow>();
    splash_->show();
    // Painted at once: the event loop is not running yet.
    splash_->repaint();
    splashTimer.setInterval(2000);

    startup::loadSettings(state, settingsPath());
    numbers.setHyphens(startup::hyphenatedNumbers(settingsPath()));
    link.serialPort.setPort(static_cast<uint8_t>(state.comPort));
    const startup::Outcome opened =
        startup::openTables(state, {callLogTable, phoneBookTable, callArchive});
    if (opened.failed()) {
        // The message's own event loop must not end the splash or open a window.
        splashTimer.setInterval(0);
        showException(opened.error);
        if (opened.tablesInUse) {
            splash_.reset();
            return false;
        }
        splashTimer.setInterval(2000);
    }
    createWindows();
    archiveTotals.start();
    archiveCheck.start();
    return true;
}

void Application::endSplash() {
    splashTimer.setInterval(0);
    splash_.reset();
    navigator_->showMenu();
}

void Application::createWindows() {
    windows.mainMenu = own(new MainMenuWindow(*this));
    windows.callLog = own(new CallLogWindow(*this));
    windows.recordEditor = own(new RecordEditor(*this));
    windows.phoneBook = own(new PhoneBookWindow(*this));
    windows.options = own(new OptionsWindow(*this));
    windows.dialPad = own(new DialPad(*this));
    windows.password = own(new PasswordWindow(*this));
    windows.confirmation = own(new ConfirmationWindow(*this));
    windows.about = own(new AboutWindow(*this));
    windows.progress = own(new ProgressWindow(*this));
    windows.portMessage = own(new PortMessageWindow(*this));
    windows.charges = own(new ChargesWindow(*this));
    windows.compactMenu = own(new CompactMenuWindow(*this));
    windows.optionsSaved = own(new OptionsSavedWindow(*this));
    windows.archive = own(new ArchiveWindow(*this));
    connectExchangeReports();
}

void Application::connectExchangeReports() {
    using adapter::ChargesExchange;
    using adapter::DialExchange;
    using adapter::LogDownload;
    ProgressWindow* progress = windows.progress;
    PasswordWindow* password = windows.password;
    LogDownload* download = &link.download;
    QObject::connect(download, &LogDownload::started, progress, &ProgressWindow::showStarted);
    QObject::connect(download, &LogDownload::progress, progress, &ProgressWindow::showProgress);
    QObject::connect(download, &LogDownload::passwordNeeded, password, &PasswordWindow::ask);
    QObject::connect(download, &LogDownload::imageReady, progress, [this, progress] {
        progress->showFinished();
        windows.callLog->showDownloaded(logImport.importDownload(services.wallClock.now()));
    });
    QObject::connect(download, &LogDownload::failed, progress, [this, progress, password] {
        password->hide();
        progress->showFailed();
        navigator_->returnAfterFailedDownload();
    });
    QObject::connect(download, &LogDownload::abandoned, password, &QWidget::hide);
    QObject::connect(download, &LogDownload::portUnavailable, progress,
                     [this] { navigator_->showPortMessage(); });

    ChargesExchange* charges = &link.charges;
    QObject::connect(charges, &ChargesExchange::chargesRead, windows.charges,
                     &ChargesWindow::showCharges);
    QObject::connect(charges, &ChargesExchange::counterReset, windows.charges,
                     &ChargesWindow::showCounterReset);
    // The port message is the only window left, so that its OK leads to the options alone.
    QObject::connect(charges, &ChargesExchange::portUnavailable, windows.charges, [this] {
        windows.mainMenu->hide();
        navigator_->showPortMessage();
        windows.charges->hide();
    });

    DialExchange* dial = &link.dial;
    DialPad* pad = windows.dialPad;
    QObject::connect(dial, &DialExchange::countingStopped, pad, &DialPad::stopCounting);
    QObject::connect(dial, &DialExchange::padShown, pad, &DialPad::showPad);
    QObject::connect(dial, &DialExchange::dialling, pad, &DialPad::showDialling);
    QObject::connect(dial, &DialExchange::dialSent, pad, &DialPad::showDialSent);
    QObject::connect(dial, &DialExchange::answered, pad, &DialPad::showAnswer);
    QObject::connect(dial, &DialExchange::connected, pad, &DialPad::startCountingTime);
    QObject::connect(dial, &DialExchange::hungUp, pad, &DialPad::showHungUp);
    QObject::connect(dial, &DialExchange::startButtonChanged, pad, &DialPad::showStartButton);
    QObject::connect(dial, &DialExchange::keysEnabled, pad, &DialPad::enableKeys);
    QObject::connect(dial, &DialExchange::portUnavailable, pad, [this, pad] {
        pad->hide();
        navigator_->showPortMessage();
    });
}
