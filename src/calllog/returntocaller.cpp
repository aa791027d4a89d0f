#include "calllog/returntocaller.h"

#include "app/application.h"
#include "app/mainmenuwindow.h"
#include "calllog/calllogwindow.h"
#include "link/devicelink.h"
#include "phonebook/phonebookwindow.h"

namespace calllog {

void returnToCaller(Application& app, uint8_t code) {
    switch (code) {
        case dialcaller::CallLog:
            app.windows.mainMenu->sortPhoneBookByReading();
            if (app.State.LogImage[0] == 255) {
                // The download shows the call log window when it completes.
                app.windows.deviceLink->startDownload();
            } else {
                CallLogWindow* callLog = app.windows.callLog;
                // A failed conversion is told, and the window still comes back with the rows
                // written so far.
                app.guarded([callLog] { callLog->convertLog(); });
                callLog->show();
                callLog->raise();
            }
            break;
        case dialcaller::PhoneBook:
            app.windows.phoneBook->show();
            app.windows.phoneBook->raise();
            break;
        default:
            app.windows.mainMenu->showMenu();
            break;
    }
}

}  // namespace calllog
