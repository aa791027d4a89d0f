#include "windows/archivecsv.h"

#include "windows/archivemodel.h"
#include "windows/loggridmodel.h"

namespace {

constexpr int NumberField = 4;

}  // namespace

QStringList archiveCsvHeader() {
    QStringList header;
    for (const GridColumn& c : GridColumns) {
        header << QString(c.title).remove(u' ');
    }
    header << QStringLiteral("地域");
    return header;
}

rules::csv::RowSource archiveCsvRows(const ArchiveModel& model, const db::CallArchive& archive,
                                     const db::ArchiveQuery& query) {
    return [&model, &archive, query](const auto& write) {
        archive.forEachRow(query, [&model, &write](const db::LogRow& row, int64_t moment) {
            QStringList cells;
            for (const GridColumn& c : GridColumns) {
                cells << (c.field == NumberField ? row.number
                                                 : model.cellText(row, moment, c.field));
            }
            cells << model.cellText(row, moment, ArchiveModel::PlaceColumn);
            write(cells);
        });
    };
}
