#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "protocol/hgcommands.h"
#include "support/simrun.h"
#include "windows/calllogwindow.h"
#include "windows/chargeswindow.h"
#include "windows/compactmenuwindow.h"
#include "windows/dialpad.h"
#include "windows/mainmenuwindow.h"
#include "windows/optionswindow.h"
#include "windows/phonebookwindow.h"

namespace {

enum class Menu { Standard, Compact, StandardAgain };
enum class Window { CallLog, PhoneBook, Dial, Charges, OptionsCancelled, OptionsSaved };

// The menu in use at the start of each case.
void useMenu(SimRun& r, Menu menu) {
    if (menu != Menu::Standard) {
        r.t.app->windows.mainMenu->compactMenuAction->trigger();
    }
    if (menu == Menu::StandardAgain) {
        r.t.app->windows.compactMenu->standardMenuAction->trigger();
    }
}

// The button of the command on the menu in use: 1 call log ... 5 options.
QPushButton* commandButton(SimRun& r, int command) {
    const AppWindows& f = r.t.app->windows;
    if (r.t.app->state.compactMenuInUse) {
        return QList<QPushButton*>{f.compactMenu->callLogButton, f.compactMenu->phoneBookButton,
                                   f.compactMenu->dialButton, f.compactMenu->chargesButton,
                                   f.compactMenu->optionsButton}[command - 1];
    }
    return QList<QPushButton*>{f.mainMenu->callLogButton, f.mainMenu->phoneBookButton,
                               f.mainMenu->dialButton, f.mainMenu->chargesButton,
                               f.mainMenu->optionsButton}[command - 1];
}

// Opens the window from the menu in use, waits until the user sees it and closes it as the
// user does.
void openAndClose(SimRun& r, Window window) {
    const AppWindows& f = r.t.app->windows;
    switch (window) {
        case Window::CallLog:
            commandButton(r, 1)->click();
            r.t.clock.advance(10000);
            QVERIFY(f.callLog->isVisible());
            f.callLog->closeButton->click();
            break;
        case Window::PhoneBook:
            commandButton(r, 2)->click();
            QVERIFY(f.phoneBook->isVisible());
            f.phoneBook->closeButton->click();
            break;
        case Window::Dial:
            commandButton(r, 3)->click();
            r.t.clock.advance(1 + 700 + 700);
            QVERIFY(f.dialPad->isVisible());
            f.dialPad->cancelButton->click();
            break;
        case Window::Charges:
            commandButton(r, 4)->click();
            r.t.clock.advance(1000);
            QVERIFY(f.charges->isVisible());
            f.charges->okButton->click();
            break;
        case Window::OptionsCancelled:
            commandButton(r, 5)->click();
            QVERIFY(f.options->isVisible());
            QVERIFY(!f.mainMenu->isVisible() && !f.compactMenu->isVisible());
            f.options->cancelButton->click();
            break;
        case Window::OptionsSaved:
            commandButton(r, 5)->click();
            QVERIFY(f.options->isVisible());
            f.options->saveButton->click();
            QVERIFY(!f.mainMenu->isVisible() && !f.compactMenu->isVisible());
            r.t.clock.advance(1800);
            break;
    }
}

}  // namespace

class MenusTest : public QObject {
    Q_OBJECT
private slots:
    void closingAWindowBringsBackTheMenuInUse_data() {
        QTest::addColumn<Menu>("menu");
        QTest::addColumn<Window>("window");
        const QList<std::pair<const char*, Menu>> menus{
            {"main menu", Menu::Standard},
            {"compact menu", Menu::Compact},
            {"after メニュー標準化", Menu::StandardAgain}};
        const QList<std::pair<const char*, Window>> windows{
            {"call log", Window::CallLog},
            {"phone book", Window::PhoneBook},
            {"dial pad", Window::Dial},
            {"charges", Window::Charges},
            {"options cancelled", Window::OptionsCancelled},
            {"options saved", Window::OptionsSaved}};
        for (const auto& [menuName, menu] : menus) {
            for (const auto& [windowName, window] : windows) {
                QTest::addRow("%s, %s", menuName, windowName) << menu << window;
            }
        }
    }
    void closingAWindowBringsBackTheMenuInUse() {
        QFETCH(Menu, menu);
        QFETCH(Window, window);
        SimRun r;
        r.startAtMenu();
        useMenu(r, menu);
        openAndClose(r, window);
        if (QTest::currentTestFailed()) {
            return;
        }
        const bool compact = menu == Menu::Compact;
        QCOMPARE(r.t.app->windows.compactMenu->isVisible(), compact);
        QCOMPARE(r.t.app->windows.mainMenu->isVisible(), !compact);
        QCOMPARE(r.t.app->state.compactMenuInUse, compact);
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void callLogDownloadedAgainAfterTheOptionsAreSaved() {
        SimRun r;
        r.startAtMenu();
        const AppWindows& f = r.t.app->windows;
        f.mainMenu->callLogButton->click();
        r.t.clock.advance(10000);
        QCOMPARE(f.callLog->grid->model()->rowCount(), 10);
        f.callLog->closeButton->click();

        // Held rows are shown at once, without a word to the adapter.
        const qsizetype held = r.commands().size();
        f.mainMenu->callLogButton->click();
        QVERIFY(f.callLog->isVisible());
        QVERIFY(!f.mainMenu->isVisible());
        QVERIFY(!f.compactMenu->isVisible());
        QCOMPARE(f.mainMenu->callLogTable.rowCount(), 10);
        r.t.clock.advance(10000);
        QCOMPARE(r.commands().size(), held);
        QVERIFY(!r.portOpen());
        f.callLog->closeButton->click();

        f.mainMenu->optionsButton->click();
        f.options->saveButton->click();
        r.t.clock.advance(1800);
        QVERIFY(f.mainMenu->isVisible());
        r.adapter.config().calls.resize(4);
        const qsizetype saved = r.commands().size();
        f.mainMenu->callLogButton->click();
        QVERIFY(!f.callLog->isVisible());
        r.t.clock.advance(10000);
        QVERIFY(f.callLog->isVisible());
        QVERIFY(r.commands().mid(saved).contains(protocol::hg::logRequestCommand(0)));
        QCOMPARE(f.callLog->grid->model()->rowCount(), 4);
    }
};

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
