#pragma once

#include <QStringList>
#include <functional>
#include <optional>

#include "db/callarchive.h"
#include "db/phonebooktable.h"
#include "ui/intervaltimer.h"
#include "windows/windowbase.h"

class ArchiveModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class StatisticsWindow;

// The archive window "通話履歴": every archived call, newest first, with a search, filters for
// kind, port and dates, the totals of the calls shown and their export to a CSV file. Its
// statistics window charts the calls of the date range.
class ArchiveWindow : public WindowBase {
    Q_OBJECT
public:
    ArchiveWindow(WindowContext& context, db::CallArchive& archive, db::PhoneBookTable& phoneBook);

    // Shows the window with the calls read afresh, names looked up again.
    void showArchive();
    // Shows the window with only the calls whose moments lie from from to to, both included: the
    // search and the other filters cleared, the dates set to the days of the range. Changing the
    // dates or the period box goes back to whole days.
    void showCallsBetween(qint64 from, qint64 to);
    // Applies the search and the filters now rather than after the typing pause.
    void applyFilters();
    // Reads the rows again for calls added meanwhile, keeping the selected call and the scroll
    // place.
    void refreshRows();
    // How many new calls above the selected one a refresh looks through to find it again.
    static constexpr int CallsAheadOfSelection = 1000;
    // The query the search box and the filters make.
    db::ArchiveQuery currentQuery() const;

    void statisticsClicked();  // "通話統計(&S)"
    void exportClicked();      // "CSV出力(&E)"
    void printClicked();       // "印刷(&P)": the calls shown, in the print preview
    void dialClicked();        // "ﾀﾞｲﾔﾙ発信(&D)"
    void closeClicked();
    void gridDoubleClicked();

    // How long the search waits after a key before it runs, so typing stays smooth.
    static constexpr int SearchPauseMs = 250;
    static constexpr int TotalsDelayMs = 1;

    QLineEdit* searchBox = nullptr;
    QComboBox* kindBox = nullptr;  // 全て, 発信, 着信, 留守
    QComboBox* portBox = nullptr;  // 全ポート, ポート1 to ポート3
    // 全回線 and the lines of a shared archive; shown only for an archive on a server.
    QComboBox* lineBox = nullptr;
    QCheckBox* dateRangeBox = nullptr;
    QDateEdit* fromDate = nullptr;
    QDateEdit* toDate = nullptr;
    QTableView* grid = nullptr;
    QLabel* statusLine = nullptr;  // count, total duration and total charge of the calls shown
    QPushButton* statisticsButton = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* closeButton = nullptr;
    ArchiveModel* model = nullptr;
    StatisticsWindow* statisticsWindow = nullptr;  // made when first asked for
    ui::IntervalTimer searchTimer;
    // Totals the rows shown once the first of them are on screen: over a long archive the sum
    // takes longer than the rows.
    ui::IntervalTimer totalsTimer;
    // Reads the places of the archive's numbers a few at a time once the window shows, so that
    // the first search by place finds them read.
    ui::IntervalTimer placesTimer;
    static constexpr int PlacesStepMs = 20;
    static constexpr int PlacesPerStep = 250;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showLines();
    db::CallArchive& archive_;
    db::PhoneBookTable& phoneBook_;
    void buildWindow();
    // Runs fn and tells a failure of the archive as its problem, naming the file.
    void guardedArchive(const std::function<void()>& fn);
    void searchEdited();
    void showTotals(const db::ArchiveTotals& totals);
    void showTotalsOfQuery();
    QString selectedNumber() const;
    void readSomePlaces();

    std::optional<QStringList> unreadPlaces_;  // none until listed
    // The exact moments of the period, while it shows the calls of a download.
    std::optional<std::pair<qint64, qint64>> momentRange_;
};
