#include "windows/archivewindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "db/archiveproblem.h"
#include "db/databaseerror.h"
#include "protocol/secondsscale.h"
#include "rules/archivesearch.h"
#include "rules/logconversion.h"
#include "rules/logtexts.h"
#include "rules/numberreader.h"
#include "windows/archivecsv.h"
#include "windows/archivemodel.h"
#include "windows/csvexport.h"
#include "windows/formlook.h"
#include "windows/loggridmodel.h"
#include "windows/navigation.h"
#include "windows/printinputs.h"
#include "windows/statisticswindow.h"
#include "windows/windowcontext.h"

namespace {

constexpr int HelpTopic = 1;
const QString ArchiveNotShown = QStringLiteral("通話履歴を表示できません。");
constexpr int NumberField = 4;

}  // namespace

ArchiveWindow::ArchiveWindow(WindowContext& context, db::CallArchive& archive,
                             db::PhoneBookTable& phoneBook)
    : WindowBase(context, QStringLiteral("通話履歴"), HelpTopic),
      searchTimer(context.services.timers),
      totalsTimer(context.services.timers),
      placesTimer(context.services.timers),
      archive_(archive),
      phoneBook_(phoneBook) {
    searchTimer.onElapsed = [this] { applyFilters(); };
    totalsTimer.onElapsed = [this] { showTotalsOfQuery(); };
    placesTimer.onElapsed = [this] { readSomePlaces(); };
    buildWindow();
}

void ArchiveWindow::buildWindow() {
    setWindowFlags(Qt::Tool);
    resize(740, 440);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    searchBox = new QLineEdit(this);
    searchBox->setPlaceholderText(QStringLiteral("氏名・読み・電話番号・地域で検索"));
    searchBox->setClearButtonEnabled(true);
    kindBox = new QComboBox(this);
    kindBox->addItems({QStringLiteral("全て"), QStringLiteral("発信"), QStringLiteral("着信"),
                       QStringLiteral("留守")});
    portBox = new QComboBox(this);
    portBox->addItems({QStringLiteral("全ポート"), QStringLiteral("ポート1"),
                       QStringLiteral("ポート2"), QStringLiteral("ポート3")});
    lineBox = new QComboBox(this);
    lineBox->setVisible(false);
    dateRangeBox = new QCheckBox(QStringLiteral("期間"), this);
    fromDate = new QDateEdit(context.services.wallClock.now().date().addMonths(-1), this);
    toDate = new QDateEdit(context.services.wallClock.now().date(), this);
    for (QDateEdit* edit : {fromDate, toDate}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        edit->setEnabled(false);
    }
    connect(searchBox, &QLineEdit::textEdited, this, &ArchiveWindow::searchEdited);
    connect(kindBox, &QComboBox::currentIndexChanged, this, &ArchiveWindow::applyFilters);
    connect(portBox, &QComboBox::currentIndexChanged, this, &ArchiveWindow::applyFilters);
    connect(lineBox, &QComboBox::currentIndexChanged, this, &ArchiveWindow::applyFilters);
    connect(dateRangeBox, &QCheckBox::toggled, this, [this](bool on) {
        fromDate->setEnabled(on);
        toDate->setEnabled(on);
        momentRange_.reset();
        applyFilters();
    });
    for (QDateEdit* edit : {fromDate, toDate}) {
        connect(edit, &QDateEdit::dateChanged, this, [this] {
            momentRange_.reset();
            applyFilters();
        });
    }

    auto* filters = new QHBoxLayout;
    filters->addWidget(searchBox, 1);
    filters->addWidget(kindBox);
    filters->addWidget(portBox);
    filters->addWidget(lineBox);
    filters->addWidget(dateRangeBox);
    filters->addWidget(fromDate);
    filters->addWidget(new QLabel(QStringLiteral("～"), this));
    filters->addWidget(toDate);

    model = new ArchiveModel(archive_, phoneBook_, context.numbers, this);
    grid = makeLogGrid(model, this);
    QHeaderView* titles = grid->horizontalHeader();
    grid->setColumnWidth(
        7, grid->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 12);
    grid->setColumnWidth(
        NumberField, grid->fontMetrics().horizontalAdvance(QStringLiteral("+1 650-253-0000")) + 12);
    grid->setColumnWidth(
        ArchiveModel::PlaceColumn,
        grid->fontMetrics().horizontalAdvance(QStringLiteral("フリーダイヤル")) + 12);
    // The header shows the newest-first order before the first click; a click sorts in SQL.
    titles->setSortIndicator(7, Qt::DescendingOrder);
    grid->setSortingEnabled(true);
    connect(grid, &QTableView::doubleClicked, this, &ArchiveWindow::gridDoubleClicked);

    statusLine = new QLabel(this);
    statusLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statisticsButton = new QPushButton(QStringLiteral("通話統計(&S)"), this);
    exportButton = new QPushButton(QStringLiteral("CSV出力(&E)"), this);
    printButton = new QPushButton(QStringLiteral("印刷(&P)"), this);
    dialButton = new QPushButton(QStringLiteral("ﾀﾞｲﾔﾙ発信(&D)"), this);
    closeButton = new QPushButton(QStringLiteral(" 閉じる (&C)  　"), this);
    connect(statisticsButton, &QPushButton::clicked, this, &ArchiveWindow::statisticsClicked);
    connect(exportButton, &QPushButton::clicked, this, &ArchiveWindow::exportClicked);
    connect(printButton, &QPushButton::clicked, this, &ArchiveWindow::printClicked);
    connect(dialButton, &QPushButton::clicked, this, &ArchiveWindow::dialClicked);
    connect(closeButton, &QPushButton::clicked, this, &ArchiveWindow::closeClicked);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(statusLine, 1);
    bottom->addWidget(statisticsButton);
    bottom->addWidget(exportButton);
    bottom->addWidget(printButton);
    bottom->addWidget(dialButton);
    bottom->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(filters);
    layout->addWidget(grid, 1);
    layout->addLayout(bottom);
}

db::ArchiveQuery ArchiveWindow::currentQuery() const {
    db::ArchiveQuery q = model->query();
    rules::setArchiveSearch(q, searchBox->text(), context.numbers, archive_, phoneBook_);
    static const std::array<QString, 4> kinds{QString(), rules::KindColumnTexts[1],
                                              rules::KindColumnTexts[2],
                                              rules::AnsweringMachineText};
    q.kindText = kinds.at(static_cast<size_t>(std::max(0, kindBox->currentIndex())));
    q.port = std::max(0, portBox->currentIndex());
    q.lineName = lineBox->currentIndex() > 0 ? lineBox->currentText() : QString();
    q.from.reset();
    q.to.reset();
    if (momentRange_) {
        q.from = momentRange_->first;
        q.to = momentRange_->second;
    } else if (dateRangeBox->isChecked()) {
        q.from = protocol::adapterSecondsOf(QDateTime(fromDate->date(), QTime(0, 0)));
        q.to = protocol::adapterSecondsOf(QDateTime(toDate->date(), QTime(23, 59, 59)));
    }
    return q;
}

void ArchiveWindow::guardedArchive(const std::function<void()>& fn) {
    context.guarded([this, &fn] {
        try {
            fn();
        } catch (const db::DatabaseError& e) {
            context.showException(db::archiveProblemText(archive_.path(), e, ArchiveNotShown));
        }
    });
}

void ArchiveWindow::applyFilters() {
    searchTimer.setInterval(0);
    guardedArchive([this] {
        if (!archive_.isOpen()) {
            model->clear();
            showTotals({});
            return;
        }
        model->setQuery(currentQuery());
        statusLine->setText(QStringLiteral("集計中…"));
        totalsTimer.setInterval(TotalsDelayMs);
        if (model->rowCount() > 0) {
            grid->selectRow(0);
        }
    });
}

void ArchiveWindow::refreshRows() {
    const int selected = grid->currentIndex().row();
    const std::optional<int64_t> call = model->idAt(selected);
    const int scrolled = grid->verticalScrollBar()->value();
    applyFilters();
    // The selected call stays selected where it showed, however many calls came in above it.
    const int found = call ? model->findRow(*call, selected + CallsAheadOfSelection) : -1;
    const int row = found >= 0 ? found : selected;
    while (row >= model->rowCount() && model->canFetchMore({})) {
        model->fetchMore({});
    }
    if (row >= 0 && row < model->rowCount()) {
        grid->selectRow(row);
    }
    grid->verticalScrollBar()->setValue(scrolled + (found >= 0 ? found - selected : 0));
}

void ArchiveWindow::readSomePlaces() {
    // The first step lists the numbers, so that the window shows before it.
    if (!unreadPlaces_) {
        unreadPlaces_.emplace();
        guardedArchive([this] {
            if (archive_.isOpen()) {
                unreadPlaces_ = archive_.numbers();
            }
        });
    } else {
        const qsizetype count = std::min<qsizetype>(PlacesPerStep, unreadPlaces_->size());
        for (qsizetype i = 0; i < count; ++i) {
            context.numbers.placeOf(unreadPlaces_->at(i));
        }
        unreadPlaces_->remove(0, count);
    }
    if (unreadPlaces_->isEmpty()) {
        placesTimer.setInterval(0);
    }
}

void ArchiveWindow::showTotalsOfQuery() {
    totalsTimer.setInterval(0);
    guardedArchive([this] {
        if (archive_.isOpen()) {
            showTotals(archive_.totals(model->query()));
        }
    });
}

void ArchiveWindow::searchEdited() {
    // Restarts the pause: each key puts the search off again.
    searchTimer.setInterval(0);
    searchTimer.setInterval(SearchPauseMs);
}

void ArchiveWindow::showTotals(const db::ArchiveTotals& totals) {
    statusLine->setText(archiveTotalsText(totals));
}

// The lines of a shared archive, the one chosen kept when it is still there.
void ArchiveWindow::showLines() {
    const QSignalBlocker quiet(lineBox);
    const QString chosen = lineBox->currentIndex() > 0 ? lineBox->currentText() : QString();
    lineBox->clear();
    QStringList lines;
    guardedArchive([this, &lines] {
        if (archive_.isOpen()) {
            lines = archive_.lineNames();
        }
    });
    lineBox->setVisible(archive_.onServer());
    grid->setColumnHidden(ArchiveModel::LineColumn, !archive_.onServer());
    lineBox->addItem(QStringLiteral("全回線"));
    lineBox->addItems(lines);
    lineBox->setCurrentIndex(std::max(0, static_cast<int>(lines.indexOf(chosen)) + 1));
}

void ArchiveWindow::showArchive() {
    showLines();
    applyFilters();
    unreadPlaces_.reset();
    placesTimer.setInterval(PlacesStepMs);
    show();
    raise();
    grid->setFocus();
}

void ArchiveWindow::showCallsBetween(qint64 from, qint64 to) {
    {
        // The filters are set together; the window reads them once below.
        const QSignalBlocker blockSearch(searchBox);
        const QSignalBlocker blockKind(kindBox);
        const QSignalBlocker blockPort(portBox);
        const QSignalBlocker blockLine(lineBox);
        const QSignalBlocker blockRange(dateRangeBox);
        const QSignalBlocker blockFrom(fromDate);
        const QSignalBlocker blockTo(toDate);
        searchBox->clear();
        kindBox->setCurrentIndex(0);
        portBox->setCurrentIndex(0);
        lineBox->setCurrentIndex(0);
        dateRangeBox->setChecked(true);
        fromDate->setEnabled(true);
        toDate->setEnabled(true);
        fromDate->setDate(protocol::dateOfMoment(from));
        toDate->setDate(protocol::dateOfMoment(to));
    }
    momentRange_.emplace(from, to);
    showArchive();
}

QString ArchiveWindow::selectedNumber() const {
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid()) {
        return QString();
    }
    return model->numberAt(current.row());
}

void ArchiveWindow::statisticsClicked() {
    if (archive_.isOpen() && !archive_.totalsReady()) {
        context.services.dialogs.messageBox(
            this,
            QStringLiteral("通話統計のための集計をしています（%1%）。しばらくしてからもう一度開いて"
                           "ください。")
                .arg(archive_.totalsPercent()),
            ui::applicationTitle(), ui::MsgButtons::Ok, ui::MsgIcon::Information);
        return;
    }
    QDate from;
    QDate to;
    if (dateRangeBox->isChecked()) {
        from = fromDate->date();
        to = toDate->date();
    } else {
        // The year up to the newest call, so that an archive of old calls still shows them.
        int month =
            protocol::monthOfMoment(protocol::adapterSecondsOf(context.services.wallClock.now()));
        guardedArchive([this, &month] {
            if (const std::optional<int64_t> latest =
                    archive_.isOpen() ? archive_.latestMoment() : std::nullopt) {
                month = protocol::monthOfMoment(*latest);
            }
        });
        // The last day as the adapter counts it: its February has no 29th.
        to = protocol::dateOfMoment(protocol::monthStartMoment(protocol::nextMonth(month)) - 1);
        from = QDate(to.year(), to.month(), 1).addMonths(-11);
    }
    if (!statisticsWindow) {
        statisticsWindow = new StatisticsWindow(context, archive_, phoneBook_, this);
    }
    statisticsWindow->showStatistics(from, to, currentQuery().lineName);
}

void ArchiveWindow::exportClicked() {
    exportCsv(context, this, QStringLiteral("通話履歴.csv"), archiveCsvHeader(),
              archiveCsvRows(*model, archive_, currentQuery()));
}

void ArchiveWindow::printClicked() {
    guardedArchive([this] {
        if (!archive_.isOpen()) {
            return;
        }
        context.services.dialogs.printPreview(
            this,
            printJobOf(archivePrintInput(archive_, currentQuery(), phoneBook_, context.numbers,
                                         searchBox->text(), context.services.wallClock.now()),
                       [this](const std::function<void()>& paint) { guardedArchive(paint); }));
    });
}

void ArchiveWindow::dialClicked() {
    const QString number = selectedNumber();
    hide();
    context.nav().openDialPad(Navigation::Opener::Archive, number);
}

void ArchiveWindow::closeClicked() {
    close();
}

void ArchiveWindow::gridDoubleClicked() {
    context.nav().editArchiveCaller(selectedNumber());
}

void ArchiveWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    searchTimer.setInterval(0);
    placesTimer.setInterval(0);
    momentRange_.reset();
    if (statisticsWindow) {
        statisticsWindow->close();
    }
    context.nav().archiveClosed();
}
