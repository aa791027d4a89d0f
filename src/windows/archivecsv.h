#pragma once

#include <QStringList>

#include "db/callarchive.h"
#include "rules/csvfile.h"

class ArchiveModel;

// The archive's CSV export: the grid's columns and the place, one row a call of the query in
// its order, the number as the archive holds it so that other programs can read it.
QStringList archiveCsvHeader();
rules::csv::RowSource archiveCsvRows(const ArchiveModel& model, const db::CallArchive& archive,
                                     const db::ArchiveQuery& query);
