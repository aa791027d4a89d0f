#include "windows/csvexport.h"

#include "rules/csvfile.h"
#include "windows/windowcontext.h"

bool exportCsv(
    WindowContext& context, QWidget* parent, const QString& defaultName, const QStringList& header,
    const std::function<void(const std::function<void(const QStringList&)>&)>& writeRows) {
    int chosenType = 0;
    ui::FileDialogRequest request{QString(),
                                  QStringLiteral("CSV UTF-8 (*.csv);;CSV Shift_JIS (*.csv)"),
                                  defaultName, QStringLiteral("csv")};
    request.chosenFilter = &chosenType;
    const QString path = context.services.dialogs.saveFileName(parent, request);
    if (path.isEmpty()) {
        return false;
    }
    const QString failure = rules::csv::writeFile(
        path, chosenType == 1 ? rules::csv::Encoding::Cp932 : rules::csv::Encoding::Utf8WithBom,
        header, writeRows);
    if (!failure.isEmpty()) {
        context.showException(failure);
        return false;
    }
    return true;
}
