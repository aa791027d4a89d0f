#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "rules/csv.h"

namespace rules::csv {

// Hands each row to the function it is given.
using RowSource = std::function<void(const std::function<void(const QStringList&)>& write)>;

// Writes the header and the rows to path in one save: the file appears whole or, on any failure,
// the one before stays. The failure's text, empty on success.
QString writeFile(const QString& path, Encoding encoding, const QStringList& header,
                  const RowSource& rows);

}  // namespace rules::csv
