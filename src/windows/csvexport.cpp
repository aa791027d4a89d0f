#include "windows/csvexport.h"

#include <QSaveFile>
#include <exception>

#include "rules/csv.h"
#include "windows/windowcontext.h"

bool exportCsv(
    WindowContext& app, QWidget* parent, const QString& defaultName, const QStringList& header,
    const std::function<void(const std::function<void(const QStringList&)>&)>& writeRows) {
    int chosenType = 0;
    ui::FileDialogRequest request{QString(),
                                  QStringLiteral("CSV UTF-8 (*.csv);;CSV Shift_JIS (*.csv)"),
                                  defaultName, QStringLiteral("csv")};
    request.chosenFilter = &chosenType;
    const QString path = app.Ui.dialogs.saveFileName(parent, request);
    if (path.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        app.showException(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    bool written = false;
    app.guarded([&] {
        csv::Writer writer(file,
                           chosenType == 1 ? csv::Encoding::Cp932 : csv::Encoding::Utf8WithBom);
        writer.writeRow(header);
        writeRows([&writer](const QStringList& cells) { writer.writeRow(cells); });
        written = writer.finish();
    });
    if (!written) {
        file.cancelWriting();
        if (file.error() != QFileDevice::NoError) {
            app.showException(QStringLiteral("%1: %2").arg(path, file.errorString()));
        }
        return false;
    }
    if (!file.commit()) {
        app.showException(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}
