#pragma once

#include "ui/dialogs.h"

namespace ui {

// Modal Qt message boxes and file dialogs.
class QtDialogs : public Dialogs {
public:
    MsgResult messageBox(QWidget* parent, const QString& text, const QString& caption,
                         MsgButtons buttons, MsgIcon icon) override;
    void showError(const QString& text) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace ui
