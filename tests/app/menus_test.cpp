#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/tform18.h"
#include "app/tmain.h"
#include "calllog/tform2.h"
#include "dial/tdialsystem.h"
#include "link/hgcommands.h"
#include "phonebook/tuserlist.h"
#include "settings/simrun.h"
#include "settings/tform15.h"
#include "settings/tform5.h"

namespace {

enum class Menu { Standard, Compact, StandardAgain };
enum class Window { CallLog, PhoneBook, Dial, Charges, OptionsCancelled, OptionsSaved };

// The menu in use at the start of each case.
void useMenu(SimRun& r, Menu menu) {
    if (menu != Menu::Standard) {
        r.t.app->F.Main->K7->trigger();
    }
    if (menu == Menu::StandardAgain) {
        r.t.app->F.Form18->K1->trigger();
    }
}

// The button of the command on the menu in use: 1 call log ... 5 options.
QPushButton* commandButton(SimRun& r, int command) {
    const Forms& f = r.t.app->F;
    if (r.t.app->State.CompactMenu) {
        return QList<QPushButton*>{f.Form18->BitBtn1, f.Form18->BitBtn2, f.Form18->BitBtn3,
                                   f.Form18->BitBtn4, f.Form18->BitBtn5}[command - 1];
    }
    return QList<QPushButton*>{f.Main->BitBtn1, f.Main->BitBtn2, f.Main->BitBtn3, f.Main->BitBtn4,
                               f.Main->BitBtn5}[command - 1];
}

// Opens the window from the menu in use, waits until the user sees it and closes it as the
// user does.
void openAndClose(SimRun& r, Window window) {
    const Forms& f = r.t.app->F;
    switch (window) {
        case Window::CallLog:
            commandButton(r, 1)->click();
            r.t.clock.advance(10000);
            QVERIFY(f.Form2->isVisible());
            f.Form2->BitBtn2->click();
            break;
        case Window::PhoneBook:
            commandButton(r, 2)->click();
            QVERIFY(f.UserList->isVisible());
            f.UserList->BitBtn5->click();
            break;
        case Window::Dial:
            commandButton(r, 3)->click();
            r.t.clock.advance(1 + 700 + 700);
            QVERIFY(f.DialSystem->isVisible());
            f.DialSystem->Button15->click();
            break;
        case Window::Charges:
            commandButton(r, 4)->click();
            r.t.clock.advance(1000);
            QVERIFY(f.Form15->isVisible());
            f.Form15->Button4->click();
            break;
        case Window::OptionsCancelled:
            commandButton(r, 5)->click();
            QVERIFY(f.Form5->isVisible());
            f.Form5->BitBtn2->click();
            break;
        case Window::OptionsSaved:
            commandButton(r, 5)->click();
            QVERIFY(f.Form5->isVisible());
            f.Form5->BitBtn1->click();
            QVERIFY(!f.Main->isVisible() && !f.Form18->isVisible());
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
        QCOMPARE(r.t.app->F.Form18->isVisible(), compact);
        QCOMPARE(r.t.app->F.Main->isVisible(), !compact);
        QCOMPARE(r.t.app->State.CompactMenu, uint8_t(compact ? 1 : 0));
        QVERIFY(r.t.dialogs.errors.isEmpty());
    }

    void callLogDownloadedAgainAfterTheOptionsAreSaved() {
        SimRun r;
        r.startAtMenu();
        const Forms& f = r.t.app->F;
        f.Main->BitBtn1->click();
        r.t.clock.advance(10000);
        QCOMPARE(f.Form2->DBGrid1->model()->rowCount(), 10);
        f.Form2->BitBtn2->click();

        // Held rows are shown at once, without a word to the adapter.
        const qsizetype held = r.commands().size();
        f.Main->BitBtn1->click();
        QVERIFY(f.Form2->isVisible());
        r.t.clock.advance(10000);
        QCOMPARE(r.commands().size(), held);
        f.Form2->BitBtn2->click();

        f.Main->BitBtn5->click();
        f.Form5->BitBtn1->click();
        r.t.clock.advance(1800);
        QVERIFY(f.Main->isVisible());
        r.adapter.config().calls.resize(4);
        const qsizetype saved = r.commands().size();
        f.Main->BitBtn1->click();
        QVERIFY(!f.Form2->isVisible());
        r.t.clock.advance(10000);
        QVERIFY(f.Form2->isVisible());
        QVERIFY(r.commands().mid(saved).contains(hg::LogRequestCommand(0)));
        QCOMPARE(f.Form2->DBGrid1->model()->rowCount(), 4);
    }
};

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
