#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace ui {

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgResult { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    QString title;
    QString filter;       // Qt form: "LOG履歴データ (*.tas)"
    QString defaultName;  // proposed file name, may be empty
    QString defaultExt;   // appended when the chosen name has no extension; may be empty
    // When given, receives which file type of filter the user chose, 0 for the first.
    int* chosenFilter = nullptr;
};

// A printout for the print preview: setUpPage gives the printer its paper, orientation and
// margins before the first page; paint draws every page, again whenever the preview needs them.
struct PrintJob {
    std::function<void(QPagedPaintDevice&)> setUpPage;
    std::function<void(QPagedPaintDevice&)> paint;
};

// The program's name in the title bar of its message boxes.
inline QString applicationTitle() {
    return QStringLiteral("ティルカ");
}

// Every message box and file dialog of the program goes through here, so that tests can answer
// them and see what the user would have been told.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgResult messageBox(QWidget* parent, const QString& text, const QString& caption,
                                 MsgButtons buttons, MsgIcon icon) = 0;
    // The application's general error display: an error nothing else caught, shown with its text.
    virtual void showError(const QString& text) = 0;
    // The chosen file, or an empty string when the user cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // The index of the item the user chose from a list, -1 when they cancelled.
    virtual int chooseItem(QWidget* parent, const QString& caption, const QString& label,
                           const QStringList& items) = 0;
    // The print preview, from which the user prints the job or saves it as a PDF file.
    virtual void printPreview(QWidget* parent, const PrintJob& job) = 0;
};

// Appends the default extension when the name has none.
QString withDefaultExtension(const QString& fileName, const QString& defaultExt);

}  // namespace ui
