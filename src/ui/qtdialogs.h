#pragma once

#include <QString>

#include "ui/dialogs.h"

class QFileDialog;

namespace ui {

// Modal Qt message boxes and file dialogs. File dialogs open in the user's documents folder and
// then in the folder of the last file chosen, never in the tables' folder by default.
class QtDialogs : public Dialogs {
public:
    QtDialogs();
    MsgResult messageBox(QWidget* parent, const QString& text, const QString& caption,
                         MsgButtons buttons, MsgIcon icon) override;
    void showError(const QString& text) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    int chooseItem(QWidget* parent, const QString& caption, const QString& label,
                   const QStringList& items) override;
    void printPreview(QWidget* parent, const PrintJob& job) override;

    const QString& folder() const { return folder_; }

private:
    QString chosen(QFileDialog& dialog, const FileDialogRequest& request);

    QString folder_;
};

}  // namespace ui
