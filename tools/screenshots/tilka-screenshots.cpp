// Opens the main windows of the real program against the simulated adapter and saves each one
// as a PNG: tilka-screenshots [output folder]. Run under an X server (scripts/screenshots.sh).

#include <cstdio>
#include <random>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "app/application.h"
#include "db/phonebooktable.h"
#include "hgsim/hgadapter.h"
#include "hgsim/simserialdevice.h"
#include "protocol/secondsscale.h"
#include "rules/logconversion.h"
#include "rules/logtexts.h"
#include "ui/manualclock.h"
#include "windows/archivewindow.h"
#include "windows/backgroundsettingswindow.h"
#include "windows/calllogwindow.h"
#include "windows/chargeswindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/dialpad.h"
#include "windows/mainmenuwindow.h"
#include "windows/optionswindow.h"
#include "windows/phonebookwindow.h"
#include "windows/recordeditor.h"
#include "windows/statisticswindow.h"
#include "windows/storesettingswindow.h"

namespace {

// Nothing here asks the user anything; an error is printed and fails the run.
class Unattended : public ui::Dialogs {
public:
    ui::MsgResult messageBox(QWidget*, const QString& text, const QString&, ui::MsgButtons,
                             ui::MsgIcon) override {
        std::fprintf(stderr, "tilka-screenshots: message: %s\n", qPrintable(text));
        return ui::MsgResult::Ok;
    }
    void showError(const QString& text) override {
        std::fprintf(stderr, "tilka-screenshots: error: %s\n", qPrintable(text));
        ++errors;
    }
    QString openFileName(QWidget*, const ui::FileDialogRequest&) override { return QString(); }
    QString saveFileName(QWidget*, const ui::FileDialogRequest&) override { return QString(); }
    int chooseItem(QWidget*, const QString&, const QString&, const QStringList&) override {
        return -1;
    }
    void printPreview(QWidget*, const ui::PrintJob&) override {}

    int errors = 0;
};

class NoHelp : public ui::HelpViewer {
public:
    void contents() override {}
    void keySearch() override {}
    void helpOnHelp() override {}
    void context(int) override {}
};

// A fixed moment, so that the pictures do not change from one run to the next.
class FixedClock : public ui::WallClock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 8), QTime(10, 0)); }
};

db::UserRecord person(const QString& name, const QString& yomi, const QString& tel,
                      const QString& tel2, const QString& note) {
    db::UserRecord r;
    r.name = name;
    r.yomi = yomi;
    r.tel = tel;
    r.tel2 = tel2;
    r.note = note;
    return r;
}

// The calls of the eleven months before the simulator's December, so that the statistics have a
// year to chart: a household's mix of numbers, mostly outgoing on weekdays.
void archiveAYearOfCalls(db::CallArchive& archive) {
    const QStringList numbers{QStringLiteral("0312345678"), QStringLiteral("0451112222"),
                              QStringLiteral("0667778888"), QStringLiteral("09012345678"),
                              QStringLiteral("0120123456"), QStringLiteral("0298765432")};
    std::mt19937 random(2026);
    std::vector<db::ArchivedCall> calls;
    for (int month = 1; month <= 11; ++month) {
        const int count = 25 + static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) {
            const QDateTime at(
                QDate(2026, month, 1 + static_cast<int>(random() % 28)),
                QTime(8 + static_cast<int>(random() % 14), static_cast<int>(random() % 60)));
            const int roll = static_cast<int>(random() % 20);
            const bool message = roll >= 18;
            db::ArchivedCall c;
            c.callKind = roll < 11 ? 1 : 2;
            c.portSet = static_cast<uint8_t>(1 + random() % 2);
            // Some numbers are called far more often than others.
            const int pick = static_cast<int>(random() % 20);
            c.number = numbers[pick < 8    ? 0
                               : pick < 13 ? 1
                               : pick < 16 ? 2
                               : pick < 18 ? 3
                                           : pick - 14];
            c.moment = protocol::adapterSecondsOf(at);
            c.durationSeconds = message ? c.moment : 30 + static_cast<int32_t>(random() % 900);
            c.startSeconds = message ? 0 : c.moment;
            c.charge = c.callKind == 1 && !message ? 10 * (1 + c.durationSeconds / 180) : 0;
            c.row = {QString::number(i + 1),
                     rules::portText(c.portSet),
                     message ? rules::AnsweringMachineText : rules::kindText(c.callKind),
                     QString(),
                     c.number,
                     message ? QStringLiteral("留守中") : rules::durationText(c.durationSeconds),
                     rules::chargeText(static_cast<uint16_t>(c.charge)),
                     protocol::timeText(static_cast<int32_t>(c.moment))};
            calls.push_back(c);
        }
    }
    archive.add(calls, QDateTime(QDate(2026, 12, 1), QTime(9, 0)));
}

class Camera {
public:
    explicit Camera(QString folder) : folder_(std::move(folder)) {}

    bool shoot(QWidget* window, const QString& name) {
        if (!window->isVisible()) {
            std::fprintf(stderr, "tilka-screenshots: %s is not shown\n", qPrintable(name));
            return ok_ = false;
        }
        // Lets the window system map and lay out the window before it is drawn.
        QCoreApplication::processEvents();
        const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
        if (!window->grab().save(path)) {
            std::fprintf(stderr, "tilka-screenshots: cannot write %s\n", qPrintable(path));
            return ok_ = false;
        }
        std::fprintf(stderr, "tilka-screenshots: %s\n", qPrintable(path));
        return true;
    }
    bool ok() const { return ok_; }

private:
    QString folder_;
    bool ok_ = true;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString output = QApplication::arguments().value(1, QStringLiteral("docs/screenshots"));
    if (!QDir().mkpath(output)) {
        std::fprintf(stderr, "tilka-screenshots: cannot create %s\n", qPrintable(output));
        return 1;
    }
    QTemporaryDir folder;
    ui::ManualClock clock;
    Unattended dialogs;
    NoHelp help;
    FixedClock wallClock;
    hgsim::HgAdapter adapter(hgsim::HgConfig{}, [&wallClock] { return wallClock.now(); });
    hgsim::SimSerialDeviceFactory ports(adapter, clock);
    Application app(ui::UiServices{clock, dialogs, help, wallClock}, ports,
                    QDir(folder.path()).filePath(QStringLiteral("tilka")), folder.path());
    app.onQuit() = [] {};
    // The settings window as on a desktop with a notification area; the virtual server has none.
    app.trayAvailable = [] { return true; };
    app.start();
    clock.advance(2000);

    const AppWindows& f = app.windows;
    Camera camera(output);
    camera.shoot(f.mainMenu, QStringLiteral("main-menu"));

    f.mainMenu->callLogButton->click();
    clock.advance(10000);
    camera.shoot(f.callLog, QStringLiteral("call-log"));
    f.callLog->closeButton->click();

    db::PhoneBookTable& book = f.mainMenu->phoneBookTable;
    book.append(person(QStringLiteral("山田太郎"), QStringLiteral("やまだたろう"),
                       QStringLiteral("03-1234-5678"), QStringLiteral("0312345678"),
                       QStringLiteral("取引先")));
    book.append(person(QStringLiteral("佐藤花子"), QStringLiteral("さとうはなこ"),
                       QStringLiteral("045-111-2222"), QStringLiteral("0451112222"),
                       QStringLiteral("横浜の実家")));
    book.append(person(QStringLiteral("鈴木商店"), QStringLiteral("すずきしょうてん"),
                       QStringLiteral("06-6777-8888"), QStringLiteral("0667778888"),
                       QStringLiteral("配達は午前中")));
    f.mainMenu->phoneBookButton->click();
    camera.shoot(f.phoneBook, QStringLiteral("phone-book"));
    f.phoneBook->editButton->click();
    camera.shoot(f.recordEditor, QStringLiteral("record-editor"));
    f.recordEditor->cancelButton->click();
    f.phoneBook->closeButton->click();

    f.mainMenu->archiveAction->trigger();
    camera.shoot(f.archive, QStringLiteral("archive"));
    f.archive->closeButton->click();

    archiveAYearOfCalls(app.callArchive);
    f.mainMenu->archiveAction->trigger();
    f.archive->statisticsButton->click();
    camera.shoot(f.archive->statisticsWindow, QStringLiteral("statistics"));
    f.archive->closeButton->click();

    f.mainMenu->dialButton->click();
    clock.advance(1 + 700 + 700);
    f.dialPad->numberField->setText(QStringLiteral("0312345678"));
    camera.shoot(f.dialPad, QStringLiteral("dial-pad"));
    f.dialPad->cancelButton->click();
    clock.advance(1000);

    f.mainMenu->chargesButton->click();
    clock.advance(1000);
    camera.shoot(f.charges, QStringLiteral("charges"));
    f.charges->okButton->click();

    f.mainMenu->optionsButton->click();
    camera.shoot(f.options, QStringLiteral("options"));
    f.options->cancelButton->click();

    app.showBackgroundStatus(QStringLiteral("12/08 09:30 受信しました（新着 2 件）"));
    f.mainMenu->backgroundAction->trigger();
    camera.shoot(f.backgroundSettings, QStringLiteral("background-settings"));
    f.backgroundSettings->cancelButton->click();

    f.mainMenu->storeAction->trigger();
    f.storeSettings->serverButton->setChecked(true);
    f.storeSettings->hostField->setText(QStringLiteral("db.office.example"));
    f.storeSettings->databaseField->setText(QStringLiteral("tilka"));
    f.storeSettings->userField->setText(QStringLiteral("tilka"));
    f.storeSettings->lineNameField->setText(QStringLiteral("本社"));
    camera.shoot(f.storeSettings, QStringLiteral("store-settings"));
    f.storeSettings->cancelButton->click();

    f.mainMenu->compactMenuClicked();
    camera.shoot(f.compactMenu, QStringLiteral("compact-menu"));
    f.compactMenu->standardMenuActionClicked();

    return camera.ok() && dialogs.errors == 0 ? 0 : 1;
}
