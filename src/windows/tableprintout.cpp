#include "windows/tableprintout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "state/atomicfile.h"

namespace {

constexpr double MarginMm = 12;
constexpr double BodyPoints = 9;
constexpr double TitlePoints = 13;

// The installed Japanese Gothic first, so that the PDF embeds it and its text reads back.
QFont printFont(double points, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("ＭＳ ゴシック"), QStringLiteral("sans-serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

// Sizes in the device's units, worked out once for all pages.
struct TablePrintout::Metrics {
    QFont titleFont;
    QFont bodyFont;
    QFont boldFont;
    double width = 0;
    double height = 0;
    double titleHeight = 0;
    double lineHeight = 0;
    double headerTop = 0;
    double bodyTop = 0;
    double padding = 0;
    double penWidth = 0;
    std::vector<double> columnLeft;  // one more than the columns: the right edge last
    int rowsPerPage = 1;
};

TablePrintout::TablePrintout(const PrintInput& input) : input_(input) {}

void TablePrintout::preparePage(QPagedPaintDevice& device) const {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(input_.orientation);
    device.setPageMargins(QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                          QPageLayout::Millimeter);
}

bool TablePrintout::paint(QPagedPaintDevice& device) const {
    int rowCount = 0;
    if (input_.rows) {
        input_.rows([&rowCount](const QStringList&) { ++rowCount; });
    }

    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    Metrics m;
    m.titleFont = printFont(TitlePoints, true);
    m.bodyFont = printFont(BodyPoints);
    m.boldFont = printFont(BodyPoints, true);
    m.width = device.width();
    m.height = device.height();
    painter.setFont(m.titleFont);
    m.titleHeight = painter.fontMetrics().height() * 1.4;
    painter.setFont(m.bodyFont);
    m.lineHeight = painter.fontMetrics().height() * 1.5;
    m.padding = painter.fontMetrics().averageCharWidth() / 2.0;
    m.penWidth = std::max(1.0, device.logicalDpiY() / 200.0);
    m.headerTop = m.titleHeight + m.lineHeight * 1.5;
    m.bodyTop = m.headerTop + m.lineHeight;
    // The page number takes the last line; half a line keeps it apart from the rows.
    const double bodyBottom = m.height - m.lineHeight * 1.5;
    m.rowsPerPage =
        std::max(1, static_cast<int>(std::floor((bodyBottom - m.bodyTop) / m.lineHeight)));
    int totalWidth = 0;
    for (const PrintColumn& c : input_.columns) {
        totalWidth += std::max(1, c.width);
    }
    int sum = 0;
    m.columnLeft.push_back(0);
    for (const PrintColumn& c : input_.columns) {
        sum += std::max(1, c.width);
        m.columnLeft.push_back(m.width * sum / totalWidth);
    }

    // The totals follow the last row after an empty line, on a page of their own when they do
    // not fit below it.
    const int totalsLines =
        input_.totals.isEmpty() ? 0 : static_cast<int>(input_.totals.size()) + 1;
    int pages = std::max(1, (rowCount + m.rowsPerPage - 1) / m.rowsPerPage);
    const int rowsOnLastPage = rowCount - (pages - 1) * m.rowsPerPage;
    if (totalsLines > 0 && rowsOnLastPage + totalsLines > m.rowsPerPage) {
        ++pages;
    }

    int page = 1;
    int slot = 0;
    auto nextPage = [&] {
        device.newPage();
        ++page;
        slot = 0;
        paintPageFrame(painter, m, page, std::max(pages, page));
    };
    paintPageFrame(painter, m, page, pages);
    if (input_.rows) {
        input_.rows([&](const QStringList& cells) {
            if (slot == m.rowsPerPage) {
                nextPage();
            }
            paintRow(painter, m, m.bodyTop + slot * m.lineHeight, cells);
            ++slot;
        });
    }
    if (totalsLines > 0) {
        if (slot + totalsLines > m.rowsPerPage && slot > 0) {
            nextPage();
        } else if (slot > 0) {
            ++slot;
        }
        painter.setFont(m.boldFont);
        for (const QString& line : input_.totals) {
            painter.drawText(
                QRectF(m.padding, m.bodyTop + slot * m.lineHeight, m.width, m.lineHeight),
                Qt::AlignLeft | Qt::AlignVCenter, line);
            ++slot;
        }
    }
    return painter.end();
}

void TablePrintout::paintPageFrame(QPainter& painter, const Metrics& m, int page, int pages) const {
    painter.setPen(QPen(Qt::black, m.penWidth));
    painter.setFont(m.titleFont);
    painter.drawText(QRectF(0, 0, m.width, m.titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     input_.title);
    painter.setFont(m.bodyFont);
    painter.drawText(
        QRectF(0, 0, m.width, m.titleHeight), Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("印刷日 ") + input_.printedAt.toString(QStringLiteral("yyyy/MM/dd HH:mm")));
    painter.drawText(QRectF(0, m.titleHeight, m.width, m.lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, input_.subtitle);

    const QRectF header(0, m.headerTop, m.width, m.lineHeight);
    painter.fillRect(header, QColor(230, 230, 230));
    painter.setFont(m.boldFont);
    for (qsizetype i = 0; i < input_.columns.size(); ++i) {
        const auto c = static_cast<size_t>(i);
        painter.drawText(QRectF(m.columnLeft[c], m.headerTop, m.columnLeft[c + 1] - m.columnLeft[c],
                                m.lineHeight),
                         Qt::AlignCenter, input_.columns[i].title);
    }
    painter.drawLine(QPointF(0, m.bodyTop), QPointF(m.width, m.bodyTop));

    painter.setFont(m.bodyFont);
    painter.drawText(QRectF(0, m.height - m.lineHeight, m.width, m.lineHeight), Qt::AlignCenter,
                     QStringLiteral("%1 / %2").arg(page).arg(pages));
}

void TablePrintout::paintRow(QPainter& painter, const Metrics& m, double y,
                             const QStringList& cells) const {
    painter.setFont(m.bodyFont);
    const QFontMetricsF metrics = painter.fontMetrics();
    for (qsizetype i = 0; i < input_.columns.size() && i < cells.size(); ++i) {
        const auto c = static_cast<size_t>(i);
        const QRectF cell(m.columnLeft[c] + m.padding, y,
                          m.columnLeft[c + 1] - m.columnLeft[c] - 2 * m.padding, m.lineHeight);
        // A text too long for its column is cut with an ellipsis rather than run into the next.
        painter.drawText(cell, input_.columns[i].alignment | Qt::AlignVCenter,
                         metrics.elidedText(cells[i], Qt::ElideRight, cell.width()));
    }
    painter.save();
    painter.setPen(QPen(QColor(200, 200, 200), m.penWidth));
    painter.drawLine(QPointF(0, y + m.lineHeight), QPointF(m.width, y + m.lineHeight));
    painter.restore();
}

bool writePdf(const PrintInput& input, const QString& path, QString* failure) {
    appstate::AtomicFile file(path);
    auto failed = [&file, failure](const QString& why) {
        file.cancel();
        if (failure) {
            *failure = why;
        }
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return failed(file.failure());
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setTitle(input.title);
        const TablePrintout printout(input);
        printout.preparePage(writer);
        if (!printout.paint(writer)) {
            return failed(QStringLiteral("%1 に PDF を書き出せませんでした。").arg(path));
        }
    }
    if (!file.commit()) {
        return failed(file.failure());
    }
    return true;
}

ui::PrintJob printJobOf(PrintInput input,
                        const std::function<void(const std::function<void()>&)>& guard) {
    auto shared = std::make_shared<const PrintInput>(std::move(input));
    return {[shared](QPagedPaintDevice& device) { TablePrintout(*shared).preparePage(device); },
            [shared, guard](QPagedPaintDevice& device) {
                guard([&shared, &device] { TablePrintout(*shared).paint(device); });
            }};
}
