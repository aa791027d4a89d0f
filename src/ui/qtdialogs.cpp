#include "ui/qtdialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <algorithm>

namespace ui {

QString withDefaultExtension(const QString& fileName, const QString& defaultExt) {
    if (fileName.isEmpty() || defaultExt.isEmpty() || !QFileInfo(fileName).suffix().isEmpty()) {
        return fileName;
    }
    return fileName + QLatin1Char('.') + defaultExt;
}

QtDialogs::QtDialogs()
    : folder_(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)) {
    if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) {
        folder_ = QDir::homePath();
    }
}

MsgResult QtDialogs::messageBox(QWidget* parent, const QString& text, const QString& caption,
                                MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::None:
            break;
    }
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        default:
            return MsgResult::Ok;
    }
}

void QtDialogs::showError(const QString& text) {
    messageBox(QApplication::activeWindow(), text, applicationTitle(), MsgButtons::Ok,
               MsgIcon::Error);
}

QString QtDialogs::openFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, folder_, request.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosen(dialog, request);
}

int QtDialogs::chooseItem(QWidget* parent, const QString& caption, const QString& label,
                          const QStringList& items) {
    bool chosen = false;
    const QString item = QInputDialog::getItem(parent, caption, label, items, 0, false, &chosen);
    return chosen ? static_cast<int>(items.indexOf(item)) : -1;
}

QString QtDialogs::saveFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, folder_, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultExt);
    return withDefaultExtension(chosen(dialog, request), request.defaultExt);
}

QString QtDialogs::chosen(QFileDialog& dialog, const FileDialogRequest& request) {
    if (!request.defaultName.isEmpty()) {
        dialog.selectFile(request.defaultName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    if (request.chosenFilter) {
        *request.chosenFilter = static_cast<int>(
            std::max<qsizetype>(0, dialog.nameFilters().indexOf(dialog.selectedNameFilter())));
    }
    const QString file = dialog.selectedFiles().constFirst();
    folder_ = QFileInfo(file).absolutePath();
    return file;
}

void QtDialogs::printPreview(QWidget* parent, const PrintJob& job) {
    QPrinter printer(QPrinter::HighResolution);
    job.setUpPage(printer);
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&job](QPrinter* device) { job.paint(*device); });
    dialog.exec();
}

}  // namespace ui
