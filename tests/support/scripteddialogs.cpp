#include "scripteddialogs.h"

ui::MsgResult ScriptedDialogs::messageBox(QWidget*, const QString& text, const QString& caption,
                                          ui::MsgButtons buttons, ui::MsgIcon) {
    messages.append(Shown{text, caption, buttons});
    if (!answers.isEmpty()) {
        return answers.takeFirst();
    }
    return buttons == ui::MsgButtons::YesNo ? ui::MsgResult::No : ui::MsgResult::Ok;
}

void ScriptedDialogs::showError(const QString& text) {
    errors.append(text);
    if (whileErrorShows) {
        whileErrorShows();
    }
}

QString ScriptedDialogs::openFileName(QWidget*, const ui::FileDialogRequest& request) {
    fileRequests.append(request);
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

int ScriptedDialogs::chooseItem(QWidget*, const QString&, const QString&,
                                const QStringList& items) {
    itemLists.append(items);
    return chosenItems.isEmpty() ? -1 : chosenItems.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget*, const ui::FileDialogRequest& request) {
    fileRequests.append(request);
    const int chosen = chosenFilters.isEmpty() ? 0 : chosenFilters.takeFirst();
    if (request.chosenFilter) {
        *request.chosenFilter = chosen;
    }
    return fileNames.isEmpty()
               ? QString()
               : ui::withDefaultExtension(fileNames.takeFirst(), request.defaultExt);
}

void ScriptedDialogs::printPreview(QWidget*, const ui::PrintJob& job) {
    printJobs.append(job);
}
