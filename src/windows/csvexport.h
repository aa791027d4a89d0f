#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class WindowContext;

// Asks for a file in the save dialog (UTF-8 with a byte-order mark, or CP932 as the second file
// type) and writes the header and the rows that writeRows hands to its callback. The file is
// replaced only once every row is written; a failure is shown with its reason. False when
// cancelled or failed.
bool exportCsv(
    WindowContext& context, QWidget* parent, const QString& defaultName, const QStringList& header,
    const std::function<void(const std::function<void(const QStringList&)>&)>& writeRows);
