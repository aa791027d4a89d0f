#include "calllog/callershow.h"

#include "app/application.h"
#include "app/tmain.h"
#include "calllog/tform2.h"
#include "link/tform11.h"
#include "phonebook/tuserlist.h"

namespace calllog {

void CallerShow(Application& app, uint8_t code) {
    switch (code) {
        case dialcaller::CallLog:
            app.F.Main->UserListSort();
            if (app.State.LogImage[0] == 255) {
                // The download shows the call log window when it completes.
                app.F.Form11->GethgTime();
            } else {
                TForm2* callLog = app.F.Form2;
                // A failed conversion is told, and the window still comes back with the rows
                // written so far.
                app.guarded([callLog] { callLog->LogConv(); });
                callLog->show();
                callLog->raise();
            }
            break;
        case dialcaller::PhoneBook:
            app.F.UserList->show();
            app.F.UserList->raise();
            break;
        default:
            app.F.Main->MenuShow();
            break;
    }
}

}  // namespace calllog
