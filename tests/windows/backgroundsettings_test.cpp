#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "support/files.h"
#include "support/testapp.h"
#include "windows/backgroundsettingswindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/mainmenuwindow.h"
#include "windows/phonebookwindow.h"
#include "windows/trayicon.h"

namespace {

const QByteArray ResidentSettings = "[Background]\nResident=1\n";

}  // namespace

class BackgroundSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void settingsShownKeptAndHandedOn() {
        TestApp t;
        t.writeSettings(
            "[RS232C]\nCOM=3\n[Background]\nFetchMinutes=15\nNotify=0\nFullPercent=90\n");
        t.trayAvailable = true;
        QVERIFY(t.start());
        t.clock.advance(2000);
        QVERIFY(!t.app->windows.trayIcon->isShown());
        t.app->showBackgroundStatus(QStringLiteral("12/09 10:30 受信しました"));

        MainMenuWindow* main = t.app->windows.mainMenu;
        BackgroundSettingsWindow* w = t.app->windows.backgroundSettings;
        main->backgroundAction->trigger();
        QVERIFY(w->isVisible());
        QVERIFY(!main->isVisible());
        QVERIFY(!w->noTrayLabel->isVisibleTo(w));
        QCOMPARE(w->statusLine->text(), QStringLiteral("12/09 10:30 受信しました"));
        QVERIFY(!w->residentBox->isChecked());
        QCOMPARE(w->fetchMinutesBox->value(), 15);
        QVERIFY(!w->notifyBox->isChecked());
        QCOMPARE(w->fullPercentBox->value(), 90);
        QVERIFY(!w->clearWhenArchivedBox->isChecked());
        QVERIFY(!w->autostartBox->isChecked());

        w->residentBox->setChecked(true);
        w->fetchMinutesBox->setValue(0);
        QCOMPARE(w->fetchMinutesBox->text(), QStringLiteral("しない"));
        w->clearWhenArchivedBox->setChecked(true);
        w->autostartBox->setChecked(true);
        w->okButton->click();
        QVERIFY(!w->isVisible());
        QVERIFY(main->isVisible());
        QVERIFY(t.app->windows.trayIcon->isShown());
        const appstate::BackgroundSettings& applied = t.app->backgroundSettings();
        QVERIFY(applied.resident && applied.clearWhenArchived && applied.autostart);
        QCOMPARE(applied.fetchMinutes, 0);
        QCOMPARE(applied.fullPercent, 90);
        QVERIFY(!applied.notify);
        const QByteArray ini = t.readSettings();
        QVERIFY2(ini.startsWith("[RS232C]\nCOM=3\n"), ini.constData());
        for (const char* line : {"Resident=1", "FetchMinutes=0", "Notify=0", "FullPercent=90",
                                 "ClearWhenArchived=1", "Autostart=1"}) {
            QVERIFY2(ini.split('\n').contains(line), line);
        }
        const QString entry = t.filePath(QStringLiteral("autostart/tilka.desktop"));
        QVERIFY(readFile(entry).contains(
            QStringLiteral("Exec=%1 --background\n").arg(t.filePath("tilka")).toUtf8()));

        // Cancel keeps everything; OK without the login start removes the entry.
        main->backgroundAction->trigger();
        QVERIFY(w->residentBox->isChecked() && w->autostartBox->isChecked());
        w->autostartBox->setChecked(false);
        w->cancelButton->click();
        QVERIFY(QFile::exists(entry));
        QVERIFY(t.app->backgroundSettings().autostart);
        main->backgroundAction->trigger();
        QVERIFY(w->autostartBox->isChecked());
        w->autostartBox->setChecked(false);
        w->okButton->click();
        QVERIFY(!QFile::exists(entry));
        QVERIFY(t.readSettings().contains("Autostart=0"));

        // Settings that cannot be kept are told, and the window stays.
        QVERIFY(QDir(t.folder()).rmdir(QStringLiteral("autostart")));
        writeFile(t.filePath(QStringLiteral("autostart")), "a file, not a folder");
        main->backgroundAction->trigger();
        w->autostartBox->setChecked(true);
        w->okButton->click();
        QCOMPARE(t.dialogs.errors.size(), 1);
        QVERIFY(w->isVisible());
        QVERIFY(!t.app->backgroundSettings().autostart);
        QVERIFY(t.readSettings().contains("Autostart=0"));
    }

    void residentRunOutlivesItsWindows() {
        TestApp t;
        t.writeSettings(ResidentSettings);
        t.trayAvailable = true;
        QVERIFY(t.start(false));
        TrayIcon* tray = t.app->windows.trayIcon;
        QVERIFY(tray->isShown());
        MainMenuWindow* main = t.app->windows.mainMenu;
        QVERIFY(!main->isVisible());
        QCOMPARE(tray->menu->actions().size(), 8);
        tray->activated();
        QVERIFY(main->isVisible());
        main->close();
        QVERIFY(!main->isVisible());
        QCOMPARE(t.quitCount, 0);

        tray->phoneBookAction->trigger();
        QVERIFY(t.app->windows.phoneBook->isVisible());
        t.app->windows.phoneBook->close();
        main->close();
        tray->settingsAction->trigger();
        QVERIFY(t.app->windows.backgroundSettings->isVisible());
        t.app->windows.backgroundSettings->cancelButton->click();
        QVERIFY(!main->isVisible());
        QCOMPARE(t.quitCount, 0);

        // The menus' 終了 ends the run all the same, and so does the icon's.
        tray->activated();
        main->compactMenuClicked();
        t.app->windows.compactMenu->close();
        QCOMPARE(t.quitCount, 0);
        t.app->windows.compactMenu->exitButton->click();
        QCOMPARE(t.quitCount, 1);
        tray->exitAction->trigger();
        QCOMPARE(t.quitCount, 2);
    }

    void withoutANotificationAreaTheRunEndsAsBefore() {
        TestApp t;
        t.writeSettings(ResidentSettings);
        QVERIFY(t.start());
        t.clock.advance(2000);
        QVERIFY(t.app->windows.trayIcon->isShown());
        QVERIFY(!t.app->residentInTray());
        t.app->windows.mainMenu->backgroundAction->trigger();
        QVERIFY(t.app->windows.backgroundSettings->noTrayLabel->isVisible());
        QVERIFY(t.app->windows.backgroundSettings->residentBox->isChecked());
        t.app->windows.backgroundSettings->cancelButton->click();
        t.app->windows.mainMenu->close();
        QCOMPARE(t.quitCount, 1);
    }
};

QTEST_MAIN(BackgroundSettingsTest)
#include "backgroundsettings_test.moc"
