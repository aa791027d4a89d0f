#include "windows/printinputs.h"

#include <memory>

#include "db/callarchive.h"
#include "db/calllogtable.h"
#include "db/phonebooktable.h"
#include "protocol/secondsscale.h"
#include "rules/logconversion.h"
#include "windows/archivemodel.h"
#include "windows/loggridmodel.h"

namespace {

const QString Gap = QStringLiteral("　");

QList<PrintColumn> logColumns() {
    QList<PrintColumn> columns;
    for (const GridColumn& c : GridColumns) {
        columns.append({c.title, c.width, c.alignment});
    }
    return columns;
}

// Hours may pass 99 in a total, so they are not padded like a call's duration.
QString totalDurationText(int64_t seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString archiveFilterText(const db::ArchiveQuery& query, const QString& searchText) {
    QString period = QStringLiteral("全期間");
    if (query.from || query.to) {
        period =
            (query.from ? protocol::dateOfMoment(*query.from).toString(u"yyyy/MM/dd") : QString()) +
            QStringLiteral("～") +
            (query.to ? protocol::dateOfMoment(*query.to).toString(u"yyyy/MM/dd") : QString());
    }
    QString text =
        QStringLiteral("期間 ") + period + Gap + QStringLiteral("通話方法 ") +
        (query.kindText.isEmpty() ? QStringLiteral("全て") : query.kindText) + Gap +
        (query.port > 0 ? QStringLiteral("ポート%1").arg(query.port) : QStringLiteral("全ポート"));
    if (!searchText.trimmed().isEmpty()) {
        text += Gap + QStringLiteral("検索「%1」").arg(searchText.trimmed());
    }
    return text;
}

}  // namespace

QString archiveTotalsText(const db::ArchiveTotals& totals) {
    return QStringLiteral("%1　通話時間 %2　料金 %3")
        .arg(rules::entryCountText(static_cast<int>(totals.count)),
             totalDurationText(totals.durationSeconds),
             QString::number(totals.charge) + QStringLiteral(" 円"));
}

PrintInput archivePrintInput(const db::CallArchive& archive, const db::ArchiveQuery& query,
                             const db::PhoneBookTable& phoneBook,
                             const rules::NumberReader& numbers, const QString& searchText,
                             const QDateTime& printedAt) {
    PrintInput input;
    input.title = QStringLiteral("通話履歴");
    input.subtitle = archiveFilterText(query, searchText);
    input.columns = logColumns();
    // The time shows its year here, and numbers their hyphens.
    input.columns[3].width = 130;
    input.columns[4].width = 110;
    input.columns.append({QStringLiteral("地域"), 90, Qt::AlignLeft});
    input.orientation = QPageLayout::Landscape;
    input.printedAt = printedAt;
    input.totals << QStringLiteral("合計　") + archiveTotalsText(archive.totals(query));
    // The same texts as the window's grid: names from the phone book, places, times with years.
    auto cells = std::make_shared<ArchiveModel>(archive, phoneBook, numbers);
    input.rows = [&archive, query, cells](const auto& write) {
        archive.forEachRow(query, [&cells, &write](const db::LogRow& row, int64_t moment) {
            QStringList texts;
            for (const GridColumn& c : GridColumns) {
                texts << cells->cellText(row, moment, c.field);
            }
            texts << cells->cellText(row, moment, ArchiveModel::PlaceColumn);
            write(texts);
        });
    };
    return input;
}

PrintInput callLogPrintInput(const db::CallLogTable& callLog, const QString& filterText,
                             const QDateTime& printedAt) {
    PrintInput input;
    input.title = QStringLiteral("通話記録表");
    input.columns = logColumns();
    input.orientation = QPageLayout::Landscape;
    input.printedAt = printedAt;
    const int count = callLog.rowCount();
    int charge = 0;
    for (int i = 0; i < count; ++i) {
        // "10 円", or "---" for a call without a charge.
        charge += callLog.row(i).charge.section(u' ', 0, 0).toInt();
    }
    input.subtitle = QStringLiteral("表示条件 ") + filterText;
    if (count > 0) {
        input.subtitle += Gap + QStringLiteral("通話時刻 %1～%2")
                                    .arg(callLog.row(0).callTime, callLog.row(count - 1).callTime);
    }
    input.totals << QStringLiteral("合計　%1　合計通話料金 %2")
                        .arg(rules::entryCountText(count),
                             rules::totalChargeText(charge).trimmed());
    input.rows = [&callLog](const auto& write) {
        for (int i = 0; i < callLog.rowCount(); ++i) {
            const db::LogRow row = callLog.row(i);
            QStringList texts;
            for (const GridColumn& c : GridColumns) {
                texts << db::CallLogTable::field(row, c.field);
            }
            write(texts);
        }
    };
    return input;
}

PrintInput phoneBookPrintInput(const db::PhoneBookTable& phoneBook, const QDateTime& printedAt) {
    PrintInput input;
    input.title = QStringLiteral("個人情報一覧表");
    input.columns = {{QStringLiteral("氏名"), 135, Qt::AlignLeft},
                     {QStringLiteral("読み"), 141, Qt::AlignLeft},
                     {QStringLiteral("電話番号"), 160, Qt::AlignLeft},
                     {QStringLiteral("最終通話"), 92, Qt::AlignLeft},
                     {QStringLiteral("郵便番号"), 70, Qt::AlignLeft},
                     {QStringLiteral("住所"), 200, Qt::AlignLeft}};
    input.orientation = QPageLayout::Portrait;
    input.printedAt = printedAt;
    input.totals << QStringLiteral("合計　") + rules::entryCountText(phoneBook.recordCount());
    input.rows = [&phoneBook](const auto& write) {
        phoneBook.forEachRecord([&write](const db::UserRecord& r) {
            write({r.name, r.yomi, r.tel, r.lastCall, r.zip, r.address});
        });
    };
    return input;
}
