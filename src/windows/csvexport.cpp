#include "windows/csvexport.h"

#include <exception>

#include "rules/csv.h"
#include "state/atomicfile.h"
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
    appstate::AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        context.showException(file.failure());
        return false;
    }
    bool written = false;
    context.guarded([&] {
        rules::csv::Writer writer(file, chosenType == 1 ? rules::csv::Encoding::Cp932
                                                        : rules::csv::Encoding::Utf8WithBom);
        writer.writeRow(header);
        writeRows([&writer](const QStringList& cells) { writer.writeRow(cells); });
        written = writer.finish();
    });
    if (!written || !file.commit()) {
        file.cancel();
        if (!file.failure().isEmpty()) {
            context.showException(file.failure());
        }
        return false;
    }
    return true;
}
