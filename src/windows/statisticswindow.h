#pragma once

#include <QDate>
#include <vector>

#include "db/callarchive.h"
#include "db/phonebooktable.h"
#include "rules/callstatistics.h"
#include "windows/windowbase.h"

class QChartView;
class QDateEdit;
class QPushButton;
class QTableWidget;

// The statistics window "通話統計" of the archive: for a date range, bar charts of each month's
// calls by kind and of its charges, and the ten numbers with the most calls and the ten with the
// highest charges, named from the phone book.
class StatisticsWindow : public WindowBase {
    Q_OBJECT
public:
    // A window of its own that stays above its owner and closes with it.
    StatisticsWindow(WindowContext& context, db::CallArchive& archive,
                     db::PhoneBookTable& phoneBook, QWidget* owner);

    // Shows the figures of the days from `from` to `to`, of one line of a shared archive when
    // lineName is given.
    void showStatistics(const QDate& from, const QDate& to, const QString& lineName = {});
    // Reads the figures again for the dates in the two boxes.
    void refresh();
    const rules::CallStatistics& statistics() const { return statistics_; }

    static constexpr int HelpTopic = 1;

    QDateEdit* fromDate = nullptr;
    QDateEdit* toDate = nullptr;
    QChartView* callsChart = nullptr;    // 発信, 着信, 留守 and その他 of each month
    QChartView* chargesChart = nullptr;  // the charges of each month
    QTableWidget* mostCallsTable = nullptr;
    QTableWidget* highestChargesTable = nullptr;
    QPushButton* closeButton = nullptr;

private:
    QString lineName_;
    db::CallArchive& archive_;
    db::PhoneBookTable& phoneBook_;
    void buildWindow();
    void showCharts();
    void fillTable(QTableWidget* table, const std::vector<rules::NumberFigures>& figures) const;

    rules::CallStatistics statistics_;
};
