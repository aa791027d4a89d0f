#include "windows/statisticswindow.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QGraphicsLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

#include "windows/windowcontext.h"

namespace {

// The adapter's calendar, and so the archive's, runs from 1997 until its seconds overflow.
const QDate FirstDate(1997, 1, 1);
const QDate LastDate(2064, 12, 31);
// Past a year of months the labels stand upright so that they do not overlap.
constexpr int MonthsWithLevelLabels = 12;

// "1月" when the range lies in one year, which the axis then names; "25/12" across years.
QStringList monthLabels(const std::vector<rules::MonthFigures>& months, QString* axisTitle) {
    const bool oneYear = !months.empty() && months.front().month / 100 == months.back().month / 100;
    *axisTitle = oneYear ? QStringLiteral("%1年").arg(months.front().month / 100) : QString();
    QStringList labels;
    for (const rules::MonthFigures& m : months) {
        labels << (oneYear ? QStringLiteral("%1月").arg(m.month % 100)
                           : QStringLiteral("%1/%2")
                                 .arg(m.month / 100 % 100, 2, 10, QLatin1Char('0'))
                                 .arg(m.month % 100, 2, 10, QLatin1Char('0')));
    }
    return labels;
}

// A tick interval of 1, 2 or 5 times a power of ten giving about five steps, never below 1 as
// calls and yen are whole.
qreal tickInterval(qreal highest) {
    qreal step = 1;
    while (highest / step > 5) {
        for (const qreal factor : {2.0, 2.5, 2.0}) {
            step *= factor;
            if (highest / step <= 5) {
                break;
            }
        }
    }
    return step;
}

QChartView* chartView(QWidget* parent) {
    auto* view = new QChartView(parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(360, 240);
    return view;
}

// Replaces the view's chart with bars of the given sets over the months.
void showBars(QChartView* view, const QString& title, const QStringList& months,
              const QString& monthTitle, const QList<QBarSet*>& sets, const QString& valueTitle) {
    auto chart = std::make_unique<QChart>();
    chart->setTitle(title);
    // The months need the width more than the frame does.
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    auto* series = new QBarSeries;
    series->append(sets);
    chart->addSeries(series);
    auto* monthAxis = new QBarCategoryAxis;
    monthAxis->append(months);
    monthAxis->setTitleText(monthTitle);
    QFont small = monthAxis->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    monthAxis->setLabelsFont(small);
    if (months.size() > MonthsWithLevelLabels) {
        monthAxis->setLabelsAngle(-90);
    }
    chart->addAxis(monthAxis, Qt::AlignBottom);
    series->attachAxis(monthAxis);
    qreal highest = 0;
    for (const QBarSet* set : sets) {
        for (int i = 0; i < set->count(); ++i) {
            highest = std::max(highest, set->at(i));
        }
    }
    auto* valueAxis = new QValueAxis;
    valueAxis->setLabelFormat(QStringLiteral("%d"));
    valueAxis->setTitleText(valueTitle);
    const qreal step = tickInterval(highest);
    valueAxis->setRange(0, std::max(std::ceil(highest / step), 1.0) * step);
    valueAxis->setTickType(QValueAxis::TicksDynamic);
    valueAxis->setTickAnchor(0);
    valueAxis->setTickInterval(step);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    series->attachAxis(valueAxis);
    chart->legend()->setVisible(sets.size() > 1);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // The view hands the old chart back rather than deleting it.
    std::unique_ptr<QChart> old(view->chart());
    view->setChart(chart.release());
}

QTableWidget* numberTable(QWidget* parent) {
    auto* table = new QTableWidget(0, 5, parent);
    table->setHorizontalHeaderLabels({QStringLiteral("電話番号"), QStringLiteral("氏名"),
                                      QStringLiteral("通話回数"), QStringLiteral("料金"),
                                      QStringLiteral("地域")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setDefaultSectionSize(20);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* columns = table->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(1, QHeaderView::Stretch);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // All ten rows without scrolling.
    table->setMinimumHeight(columns->sizeHint().height() +
                            rules::TopNumbers * table->verticalHeader()->defaultSectionSize() +
                            2 * table->frameWidth());
    return table;
}

QGroupBox* titled(const QString& title, QWidget* content, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(content);
    return box;
}

}  // namespace

StatisticsWindow::StatisticsWindow(WindowContext& context, db::CallArchive& archive,
                                   db::PhoneBookTable& phoneBook, QWidget* owner)
    : WindowBase(context, QStringLiteral("通話統計"), HelpTopic),
      archive_(archive),
      phoneBook_(phoneBook) {
    setParent(owner, Qt::Window);
    buildWindow();
}

void StatisticsWindow::buildWindow() {
    resize(960, 700);
    fromDate = new QDateEdit(this);
    toDate = new QDateEdit(this);
    for (QDateEdit* edit : {fromDate, toDate}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        edit->setDateRange(FirstDate, LastDate);
        connect(edit, &QDateEdit::dateChanged, this, &StatisticsWindow::refresh);
    }
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("期間"), this));
    range->addWidget(fromDate);
    range->addWidget(new QLabel(QStringLiteral("～"), this));
    range->addWidget(toDate);
    range->addStretch(1);

    callsChart = chartView(this);
    chargesChart = chartView(this);
    auto* charts = new QHBoxLayout;
    charts->addWidget(callsChart, 1);
    charts->addWidget(chargesChart, 1);

    mostCallsTable = numberTable(this);
    highestChargesTable = numberTable(this);
    auto* tables = new QHBoxLayout;
    tables->addWidget(titled(QStringLiteral("通話回数の多い番号"), mostCallsTable, this), 1);
    tables->addWidget(titled(QStringLiteral("料金の高い番号"), highestChargesTable, this), 1);

    closeButton = new QPushButton(QStringLiteral(" 閉じる (&C)  　"), this);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(range);
    layout->addLayout(charts, 3);
    layout->addLayout(tables, 2);
    layout->addLayout(bottom);
}

void StatisticsWindow::showStatistics(const QDate& from, const QDate& to, const QString& lineName) {
    lineName_ = lineName;
    setWindowTitle(lineName.isEmpty() ? QStringLiteral("通話統計")
                                      : QStringLiteral("通話統計 - %1").arg(lineName));
    {
        const QSignalBlocker fromQuiet(fromDate);
        const QSignalBlocker toQuiet(toDate);
        fromDate->setDate(from);
        toDate->setDate(to);
    }
    refresh();
    show();
    raise();
}

void StatisticsWindow::refresh() {
    context.guarded([this] {
        statistics_ = rules::callStatistics(archive_, phoneBook_, fromDate->date(), toDate->date(),
                                            lineName_);
        showCharts();
        fillTable(mostCallsTable, statistics_.mostCalls);
        fillTable(highestChargesTable, statistics_.highestCharges);
    });
}

void StatisticsWindow::showCharts() {
    QString year;
    const QStringList months = monthLabels(statistics_.months, &year);
    auto* outgoing = new QBarSet(QStringLiteral("発信"));
    auto* incoming = new QBarSet(QStringLiteral("着信"));
    auto* messages = new QBarSet(QStringLiteral("留守"));
    auto* other = new QBarSet(QStringLiteral("その他"));
    auto* charges = new QBarSet(QStringLiteral("料金"));
    for (const rules::MonthFigures& m : statistics_.months) {
        *outgoing << static_cast<qreal>(m.outgoing);
        *incoming << static_cast<qreal>(m.incoming);
        *messages << static_cast<qreal>(m.messages);
        *other << static_cast<qreal>(m.other);
        *charges << static_cast<qreal>(m.charge);
    }
    showBars(callsChart, QStringLiteral("月別の通話回数"), months, year,
             {outgoing, incoming, messages, other}, QStringLiteral("件"));
    showBars(chargesChart, QStringLiteral("月別の料金"), months, year, {charges},
             QStringLiteral("円"));
}

void StatisticsWindow::fillTable(QTableWidget* table,
                                 const std::vector<rules::NumberFigures>& figures) const {
    table->setRowCount(static_cast<int>(figures.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const rules::NumberFigures& f = figures[static_cast<size_t>(row)];
        const QStringList cells{
            context.numbers.shownNumber(f.number), f.name, QString::number(f.calls),
            QString::number(f.charge) + QStringLiteral(" 円"), context.numbers.placeOf(f.number)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 2 || column == 3) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table->setItem(row, column, item);
        }
    }
}
