#pragma once

#include <QDateTime>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>

#include "ui/dialogs.h"

class QPagedPaintDevice;
class QPainter;

// One column of a printed table.
struct PrintColumn {
    QString title;
    int width = 1;  // relative to the other columns' widths
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Hands each row, one text a column, to the function it is given.
using PrintRowSource = std::function<void(const std::function<void(const QStringList&)>& row)>;

// What a printout shows: the title and its second line (date range and filters) on every page,
// the table with its column titles repeated on each page, and the totals after the last row.
struct PrintInput {
    QString title;
    QString subtitle;
    QList<PrintColumn> columns;
    // Called twice: once to count the rows, so that every page knows how many pages there are,
    // then to print them.
    PrintRowSource rows;
    QStringList totals;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QDateTime printedAt;  // shown on every page
};

// Paints a PrintInput onto the pages of a printer or a PDF writer, without any widget.
class TablePrintout {
public:
    explicit TablePrintout(const PrintInput& input);

    // Sets the device to A4 in the input's orientation with the printout's margins.
    void preparePage(QPagedPaintDevice& device) const;
    // Paints every page onto the device as it is set up. False when the device cannot be painted
    // on.
    bool paint(QPagedPaintDevice& device) const;

private:
    struct Metrics;
    void paintPageFrame(QPainter& painter, const Metrics& m, int page, int pages) const;
    void paintRow(QPainter& painter, const Metrics& m, double y, const QStringList& cells) const;

    const PrintInput& input_;
};

// Writes the printout as a PDF file on A4, replacing any file there. False with the reason in
// failure (when given) when the file cannot be written.
bool writePdf(const PrintInput& input, const QString& path, QString* failure = nullptr);

// The print job of a printout for the print preview. guard runs each painting, so that the
// caller catches what its tables throw while the rows are read.
ui::PrintJob printJobOf(PrintInput input,
                        const std::function<void(const std::function<void()>&)>& guard);
