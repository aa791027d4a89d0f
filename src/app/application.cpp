#include "app/application.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QWidget>

#include "app/backgroundsetup.h"
#include "app/navigator.h"
#include "app/startup.h"
#include "app/storesetup.h"
#include "db/serverschema.h"
#include "protocol/secondsscale.h"
#include "state/inifile.h"
#include "windows/aboutwindow.h"
#include "windows/archivewindow.h"
#include "windows/backgroundsettingswindow.h"
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
#include "windows/storesettingswindow.h"
#include "windows/trayicon.h"

Application::Application(ui::UiServices ui, comm::SerialDeviceFactory& serialDevices,
                         QString executablePath, QString tableFolder, QString settingsPath)
    : state{},
      services(ui),
      serialDevices(serialDevices),
      link(state, ui.timers, ui.wallClock, serialDevices),
      callLogTable(tableFolder),
      phoneBookTable(tableFolder),
      callArchive(tableFolder, protocol::monthOfMoment),
      archiveOutbox(tableFolder),
      logImport(state, callLogTable, phoneBookTable, callArchive, archiveOutbox),
      splashTimer(ui.timers),
      archiveTotals(callArchive, ui.timers, [this](const QString& text) { showException(text); }),
      archiveCheck(
          callArchive, [this](const QString& text) { showException(text); },
          [this] { takeDailyBackup(db::BackupKind::Archive); }),
      waitingCalls(logImport, archiveOutbox, callArchive, ui.timers),
      backups(QDir(tableFolder).filePath(QStringLiteral("backup"))),
      executablePath_(std::move(executablePath)),
      settingsPath_(settingsPath.isEmpty() ? appstate::settingsPathFor(executablePath_)
                                           : std::move(settingsPath)),
      tableFolder_(std::move(tableFolder)),
      navigator_(std::make_unique<Navigator>(*this)),
      windowContext_(ui, *navigator_) {
    trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    autostartPath = appstate::autostartEntryPath(appstate::processFolderEnvironment());
    splashTimer.onElapsed = [this] { endSplash(); };
    services.timers.onError = [this](const std::string& message) {
        showException(QString::fromStdString(message));
    };
    QObject::connect(&link, &adapter::DeviceLink::handlerError,
                     [this](const QString& message) { showException(message); });
    notifier.fallback = [this](const QString& title, const QString& body) {
        return showTrayMessage(title, body);
    };
    fetch_ = std::make_unique<BackgroundFetch>(*this, notifier);
    BackgroundFetch* fetch = fetch_.get();
    QObject::connect(&wakeWatcher, &ui::WakeWatcher::woke, fetch, &BackgroundFetch::machineWoke);
    QObject::connect(fetch, &BackgroundFetch::statusChanged, fetch,
                     [this] { showBackgroundStatus(fetch_->statusText()); });
    QObject::connect(
        fetch, &BackgroundFetch::openNewCallsRequested, fetch,
        [this](qint64 from, qint64 to) { guarded([&] { nav().showCallsBetween(from, to); }); });
    QObject::connect(fetch, &BackgroundFetch::clearLogConfirmationRequested, fetch,
                     [this] { guarded([this] { nav().askToClearAdapterLog(); }); });
}

Application::~Application() {
    services.timers.onError = nullptr;
    fetch_.reset();
    trayIcon_.reset();
    while (!windows_.empty()) {
        windows_.pop_back();
    }
}

bool Application::start(bool showWindows) {
    if (showWindows) {
        splash_ = std::make_unique<SplashWindow>();
        splash_->show();
        // Painted at once: the event loop is not running yet.
        splash_->repaint();
        splashTimer.setInterval(2000);
    }

    startup::loadSettings(state, settingsPath());
    windowContext_.numbers.setHyphens(startup::hyphenatedNumbers(settingsPath()));
    link.usePort(state.settings.comPort);
    const startup::Tables tables{callLogTable, phoneBookTable, callArchive};
    startup::chooseStore(settingsPath(), tables);
    startup::Outcome opened = startup::openTables(state, tables);
    while (opened.serverFailed) {
        // Asked while no timer runs, as other start-up messages are.
        splashTimer.setInterval(0);
        const ui::MsgResult again = services.dialogs.messageBox(
            nullptr,
            opened.error + QStringLiteral("\n\nもう一度接続しますか？\n「いいえ」を選ぶと、"
                                          "今回はこのPCのファイルを使います。"),
            ui::applicationTitle(), ui::MsgButtons::YesNo, ui::MsgIcon::Warning);
        if (again != ui::MsgResult::Yes) {
            startup::useLocalFiles(tables);
        }
        opened = startup::openTables(state, tables);
        splashTimer.setInterval(showWindows ? 2000 : 0);
    }
    if (opened.failed()) {
        // The message's own event loop must not end the splash or open a window.
        splashTimer.setInterval(0);
        showException(opened.error);
        if (opened.tablesInUse) {
            splash_.reset();
            return false;
        }
        splashTimer.setInterval(showWindows ? 2000 : 0);
    } else {
        takeDailyBackup(db::BackupKind::PhoneBook);
    }
    createWindows();
    applyBackgroundSettings(loadBackgroundSettings(settingsPath()));
    archiveTotals.start();
    archiveCheck.start();
    waitingCalls.start();
    return true;
}

void Application::takeDailyBackup(db::BackupKind kind) {
    // The server's tables are backed up on the server, with pg_dump.
    if (kind == db::BackupKind::PhoneBook ? phoneBookTable.onServer() : callArchive.onServer()) {
        return;
    }
    const QDateTime now = services.wallClock.now();
    const QList<db::BackupFile> taken = backups.list(kind);
    if (!taken.isEmpty() && taken.first().takenAt.date() == now.date()) {
        return;
    }
    try {
        if (kind == db::BackupKind::PhoneBook) {
            backups.take(phoneBookTable, now);
        } else {
            backups.take(callArchive, now);
        }
    } catch (const std::exception& e) {
        showException(
            QStringLiteral("バックアップを作れません: %1").arg(QString::fromUtf8(e.what())));
    }
}

void Application::restoreBackup(db::BackupKind kind, const QString& path) {
    const bool phoneBook = kind == db::BackupKind::PhoneBook;
    if (phoneBook) {
        phoneBookTable.close();
    } else {
        callArchive.close();
    }
    QString failure;
    try {
        backups.restore(kind, path, tableFolder_, services.wallClock.now());
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    // Open again whether or not the backup went back: the table in place is a sound one.
    guarded([this, phoneBook] {
        if (phoneBook) {
            phoneBookTable.setExclusive(true);
            phoneBookTable.open();
            phoneBookTable.setIndex(db::PhoneBookTable::Index::Yomi);
        } else {
            callArchive.setExclusive(true);
            callArchive.open();
        }
    });
    if (!failure.isEmpty()) {
        showException(failure);
        return;
    }
    services.dialogs.messageBox(windows.mainMenu, QStringLiteral("バックアップを戻しました。"),
                                ui::applicationTitle(), ui::MsgButtons::Ok,
                                ui::MsgIcon::Information);
}

void Application::endSplash() {
    splashTimer.setInterval(0);
    splash_.reset();
    navigator_->showMenu();
}

void Application::createWindows() {
    WindowContext& c = windowContext_;
    windows.mainMenu = own(new MainMenuWindow(c, callLogTable, phoneBookTable));
    windows.callLog = own(new CallLogWindow(c, callLogTable, logImport, state));
    windows.recordEditor = own(new RecordEditor(c, phoneBookTable));
    windows.phoneBook = own(new PhoneBookWindow(c, phoneBookTable, state, backups));
    windows.options = own(new OptionsWindow(c, link, serialDevices, state, settingsPath_));
    windows.dialPad = own(new DialPad(c, link, phoneBookTable));
    windows.password = own(new PasswordWindow(c, link, state));
    windows.confirmation =
        own(new ConfirmationWindow(c, link, phoneBookTable, state, settingsPath_, backups));
    windows.about = own(new AboutWindow(c));
    windows.progress = own(new ProgressWindow(c, link));
    windows.portMessage = own(new PortMessageWindow(c, link));
    windows.charges = own(new ChargesWindow(c));
    windows.compactMenu = own(new CompactMenuWindow(c));
    windows.optionsSaved = own(new OptionsSavedWindow(c));
    windows.archive = own(new ArchiveWindow(c, callArchive, phoneBookTable));
    windows.backgroundSettings = own(new BackgroundSettingsWindow(c));
    windows.backgroundSettings->onAccepted = [this](const appstate::BackgroundSettings& s) {
        changeBackgroundSettings(s);
    };
    // Another PC's new calls show in an open archive window, where the user left it.
    callArchive.setChangedElsewhere([this] {
        if (windows.archive->isVisible()) {
            windows.archive->refreshRows();
        }
    });
    waitingCalls.onSent = [this](int added) {
        if (windows.archive->isVisible()) {
            windows.archive->refreshRows();
        }
        notifier.notify(QStringLiteral("預けていた通話を送りました"),
                        QStringLiteral("サーバーの通話履歴に %1 件を加えました。").arg(added));
    };
    windows.storeSettings = own(new StoreSettingsWindow(c));
    windows.storeSettings->onTest = [](const appstate::StoreSettings& s, const QString& password) {
        return db::checkServer(s, password);
    };
    windows.storeSettings->onMove = [this](const appstate::StoreSettings& s,
                                           const QString& password) {
        return moveReport(db::moveToServer(tableFolder_, s, protocol::monthOfMoment, password));
    };
    windows.storeSettings->onAccepted = [this](const appstate::StoreSettings& s,
                                               const QString& password) {
        saveStoreSettings(s, password, settingsPath_);
    };
    // Made on every desktop: an icon set to show appears once a notification area does.
    trayIcon_ = std::make_unique<TrayIcon>(c);
    windows.trayIcon = trayIcon_.get();
    connectExchangeReports();
}

void Application::applyBackgroundSettings(const appstate::BackgroundSettings& settings) {
    backgroundSettings_ = settings;
    trayIcon_->setShown(settings.resident);
    fetch_->apply(settings);
}

void Application::changeBackgroundSettings(const appstate::BackgroundSettings& settings) {
    const QFileInfo executable(executablePath_);
    const QString icon = executable.dir().filePath(QStringLiteral("tilka.svg"));
    // An installed program finds its icon by name in the icon theme.
    saveBackgroundSettings(settings, settingsPath_, autostartPath,
                           {executable.absoluteFilePath(), QDir(tableFolder_).absolutePath(),
                            QFileInfo::exists(icon) ? icon : QStringLiteral(TILKA_APP_ID)});
    applyBackgroundSettings(settings);
}

void Application::showBackgroundStatus(const QString& text) {
    if (trayIcon_) {
        trayIcon_->setToolTip(text);
        windows.backgroundSettings->showStatus(text);
    }
}

bool Application::showTrayMessage(const QString& title, const QString& text) {
    if (!residentInTray()) {
        return false;
    }
    trayIcon_->showMessage(title, text);
    return true;
}

bool Application::residentInTray() const {
    return trayIcon_ && trayIcon_->isShown() && trayAvailable();
}

void Application::connectExchangeReports() {
    using adapter::ChargesExchange;
    using adapter::DialExchange;
    using adapter::LogDownload;
    ProgressWindow* progress = windows.progress;
    PasswordWindow* password = windows.password;
    const LogDownload* download = &link.download();
    // A download handed over shows its progress too, so that no one starts another exchange; a
    // quiet one shows nothing.
    const auto shownTo = [this](DownloadOwner owner) { return downloadOwner == owner; };
    const auto shownAtAll = [this] { return downloadOwner != DownloadOwner::Background; };
    QObject::connect(download, &LogDownload::started, progress, [progress, shownAtAll] {
        if (shownAtAll()) {
            progress->showStarted();
        }
    });
    QObject::connect(download, &LogDownload::progress, progress,
                     [progress, shownAtAll](int percent) {
                         if (shownAtAll()) {
                             progress->showProgress(percent);
                         }
                     });
    QObject::connect(download, &LogDownload::passwordNeeded, password, [password, shownTo] {
        if (shownTo(DownloadOwner::Windows)) {
            password->ask();
        }
    });
    QObject::connect(download, &LogDownload::imageReady, progress, [this, progress, shownTo] {
        if (shownTo(DownloadOwner::Background)) {
            return;
        }
        progress->showFinished();
        if (shownTo(DownloadOwner::SecondStart)) {
            return;
        }
        const rules::LogImportResult result = logImport.importDownload(services.wallClock.now());
        windows.callLog->showDownloaded(result);
        fetch_->downloaded(result);
    });
    QObject::connect(download, &LogDownload::failed, progress, [this, progress, password, shownTo] {
        if (shownTo(DownloadOwner::Background)) {
            return;
        }
        if (shownTo(DownloadOwner::SecondStart)) {
            progress->showFinished();
            return;
        }
        password->hide();
        progress->showFailed();
        navigator_->returnAfterFailedDownload();
    });
    QObject::connect(download, &LogDownload::abandoned, password, [progress, password, shownTo] {
        password->hide();
        if (shownTo(DownloadOwner::SecondStart)) {
            progress->showFinished();
        }
    });
    QObject::connect(download, &LogDownload::portUnavailable, progress, [this, shownTo] {
        if (shownTo(DownloadOwner::Windows)) {
            navigator_->showPortMessage();
        }
    });

    const ChargesExchange* charges = &link.charges();
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

    const DialExchange* dial = &link.dial();
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
