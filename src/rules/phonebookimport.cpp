#include "rules/phonebookimport.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <array>

#include "db/databaseerror.h"
#include "rules/csv.h"
#include "rules/numberreader.h"
#include "rules/telnumber.h"

namespace rules::phonebookimport {
namespace {

// The text fields in table order, as the CSV export writes them.
constexpr std::array<QString db::UserRecord::*, 11> CsvFields{
    &db::UserRecord::name,     &db::UserRecord::yomi,    &db::UserRecord::tel2,
    &db::UserRecord::tel,      &db::UserRecord::fax,     &db::UserRecord::zip,
    &db::UserRecord::address,  &db::UserRecord::note,    &db::UserRecord::lastCall,
    &db::UserRecord::callTime, &db::UserRecord::charges,
};

// The column names of the CSV export: the text fields in table order.
QStringList csvColumnNames() {
    return db::PhoneBookTable::fieldNames().mid(0, static_cast<qsizetype>(CsvFields.size()));
}

// A header of the export's column names, some of them or all in any order, with the name among
// them.
bool isExportHeader(const QStringList& row, const QStringList& names) {
    QStringList seen;
    for (const QString& cell : row) {
        const QString name = cell.trimmed();
        if (!names.contains(name) || seen.contains(name)) {
            return false;
        }
        seen << name;
    }
    return seen.contains(names.first());
}

QString notExportProblem(int line, const QStringList& names) {
    return QStringLiteral(
               "この CSV ファイルは電話帳の形式ではないため、取り込めません（%1 行目）。"
               "\n取り込める CSV は、1 行目が列名の行（%2 のうち「%3」を含む）か、"
               "列名の行がなく、どの行もこの順の %4 列のものです。")
        .arg(line)
        .arg(names.join(u','), names.first())
        .arg(names.size());
}

bool isHalfWidthKana(QChar c) {
    return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F;
}

}  // namespace

QString hiragana(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        if (!isHalfWidthKana(text[i])) {
            out += text[i++];
            continue;
        }
        // A whole run at once, so that a voiced-sound mark joins the kana before it.
        qsizetype end = i;
        while (end < text.size() && isHalfWidthKana(text[end])) {
            ++end;
        }
        out += text.mid(i, end - i).normalized(QString::NormalizationForm_KC);
        i = end;
    }
    for (QChar& c : out) {
        // ァ to ン; ヴ, ヵ and ヶ stay, their hiragana having no Shift-JIS code.
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F3) {
            c = QChar(static_cast<char16_t>(c.unicode() - 0x60));
        }
    }
    return out;
}

db::UserRecord asEditorStores(db::UserRecord record) {
    // A number written with "+" is stored as dialled from home, so that calls find its name.
    record.tel = rules::normalizeNumber(rules::domesticNumber(record.tel));
    record.fax = rules::normalizeNumber(record.fax);
    // Every field is one line.
    for (QString db::UserRecord::*field : CsvFields) {
        (record.*field).replace(u'\r', u' ').replace(u'\n', u' ');
    }
    record = db::PhoneBookTable::fitted(record);
    // A cut may end at a space inside the text.
    for (QString* text : {&record.name, &record.yomi, &record.zip, &record.address, &record.note}) {
        *text = text->trimmed();
    }
    record.tel2 = rules::lookupDigits(record.tel);
    return record;
}

void ImportedRecords::take(const db::UserRecord& entry) {
    const db::UserRecord record = asEditorStores(entry);
    if (record.name.isEmpty()) {
        ++withoutName;
        return;
    }
    records << record;
    QString name = entry.name;
    fullNames << name.replace(u'\r', u' ').replace(u'\n', u' ').trimmed();
}

QString readFile(const QString& path, QByteArray& data) {
    data.clear();
    const QFileInfo info(path);
    if (!info.exists()) {
        return QStringLiteral("%1 が見つかりません。").arg(path);
    }
    if (!info.isFile()) {
        return QStringLiteral("%1 は通常のファイルではないため、取り込めません。").arg(path);
    }
    const QString tooBig = QStringLiteral("%1 は %2 MB を超えるため、取り込めません。")
                               .arg(path)
                               .arg(MaxFileBytes / (1024 * 1024));
    if (info.size() > MaxFileBytes) {
        return tooBig;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("%1 を開けません: %2").arg(path, file.errorString());
    }
    data = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        data.clear();
        return QStringLiteral("%1 を読み込めません: %2").arg(path, file.errorString());
    }
    if (data.size() > MaxFileBytes) {
        data.clear();
        return tooBig;
    }
    return {};
}

ImportedRecords fromCsv(const QByteArray& data) {
    const rules::csv::Table table = rules::csv::parseTable(rules::csv::decode(data));
    const QList<QStringList>& rows = table.rows;
    ImportedRecords imported;
    if (table.unclosedQuoteLine > 0) {
        imported.problem =
            QStringLiteral("%1 行目で始まる引用符（\"）が閉じていないため、取り込めません。")
                .arg(table.unclosedQuoteLine);
        return imported;
    }
    if (rows.isEmpty()) {
        return imported;
    }
    const QStringList names = csvColumnNames();
    const bool header = isExportHeader(rows.first(), names);
    if (!header) {
        for (qsizetype r = 0; r < rows.size(); ++r) {
            if (rows[r].size() != names.size()) {
                imported.problem = notExportProblem(table.lines[r], names);
                return imported;
            }
        }
    }
    std::array<qsizetype, CsvFields.size()> column{};
    for (size_t f = 0; f < CsvFields.size(); ++f) {
        column[f] = header ? rows.first().indexOf(names[static_cast<qsizetype>(f)])
                           : static_cast<qsizetype>(f);
        if (header && column[f] < 0) {
            // The header's cells may carry spaces around the names.
            for (qsizetype c = 0; c < rows.first().size(); ++c) {
                if (rows.first()[c].trimmed() == names[static_cast<qsizetype>(f)]) {
                    column[f] = c;
                }
            }
        }
    }
    for (qsizetype r = header ? 1 : 0; r < rows.size(); ++r) {
        db::UserRecord record;
        for (size_t f = 0; f < CsvFields.size(); ++f) {
            if (column[f] >= 0 && column[f] < rows[r].size()) {
                record.*CsvFields[f] = rows[r][column[f]];
            }
        }
        imported.take(record);
    }
    return imported;
}

namespace {

QString fullNameOf(const ImportedRecords& imported, qsizetype i) {
    return imported.fullNames.value(i, imported.records[i].name);
}

}  // namespace

int existingCount(const db::PhoneBookTable& table, const ImportedRecords& imported) {
    int count = 0;
    for (qsizetype i = 0; i < imported.records.size(); ++i) {
        const QString& name = imported.records[i].name;
        if (fullNameOf(imported, i) == name && table.record(name)) {
            ++count;
        }
    }
    return count;
}

Summary importRecords(db::PhoneBookTable& table, const ImportedRecords& imported, bool overwrite,
                      const Progress& progress) {
    Summary summary;
    summary.skippedWithoutName = imported.withoutName;
    // The full name of the card that took each stored name in this import.
    QHash<QString, QString> takenBy;
    // The name of the record that held each number before the import, by the number however
    // written. A file's own entries sharing a number are different people the file keeps apart.
    QHash<QString, QString> numberHolders;
    table.forEachRecord([&numberHolders](const db::UserRecord& record) {
        if (const QString key = rules::numberKey(record.tel); !key.isEmpty()) {
            numberHolders.insert(key, record.name);
        }
    });
    const int total = static_cast<int>(imported.records.size());
    table.beginBatch();
    try {
        for (int i = 0; i < total; ++i) {
            if (progress && (i % 256 == 0) && !progress(i, total)) {
                table.rollbackBatch();
                return Summary{.cancelled = true};
            }
            const db::UserRecord& record = imported.records[i];
            const QString fullName = fullNameOf(imported, i);
            const std::optional<db::UserRecord> old = table.record(record.name);
            const auto taken = takenBy.constFind(record.name);
            // A stored name is a whole name, so a cut name matching it is another person's.
            const bool clash =
                taken != takenBy.cend() ? *taken != fullName : old && fullName != record.name;
            if (clash) {
                ++summary.skippedNameClash;
                continue;
            }
            if (!old) {
                const auto holder = numberHolders.constFind(rules::numberKey(record.tel));
                if (holder != numberHolders.cend() && *holder != record.name) {
                    ++summary.skippedSameNumber;
                    continue;
                }
            }
            takenBy.insert(record.name, fullName);
            if (!old) {
                table.append(record);
                ++summary.added;
                continue;
            }
            if (!overwrite) {
                ++summary.skippedExisting;
                continue;
            }
            db::UserRecord replacement = record;
            if (replacement.lastCall.isEmpty() && replacement.callTime.isEmpty() &&
                replacement.charges.isEmpty()) {
                replacement.lastCall = old->lastCall;
                replacement.callTime = old->callTime;
                replacement.charges = old->charges;
            }
            table.gotoName(record.name);
            table.post(replacement);
            ++summary.overwritten;
        }
    } catch (...) {
        // The engine may have rolled back already (a full disk does); the cause is what is told.
        try {
            table.rollbackBatch();
        } catch (const db::DatabaseError&) {
        }
        throw;
    }
    if (progress && !progress(total, total)) {
        table.rollbackBatch();
        return Summary{.cancelled = true};
    }
    table.commitBatch();
    return summary;
}

QString summaryText(const Summary& summary) {
    QString text = QStringLiteral("追加 %1 件、上書き %2 件、スキップ %3 件")
                       .arg(summary.added)
                       .arg(summary.overwritten)
                       .arg(summary.skipped());
    QStringList reasons;
    if (summary.skippedExisting > 0) {
        reasons << QStringLiteral("同じ氏名が登録済み %1 件").arg(summary.skippedExisting);
    }
    if (summary.skippedWithoutName > 0) {
        reasons << QStringLiteral("氏名なし %1 件").arg(summary.skippedWithoutName);
    }
    if (summary.skippedSameNumber > 0) {
        reasons << QStringLiteral("同じ電話番号が登録済み %1 件").arg(summary.skippedSameNumber);
    }
    if (summary.skippedNameClash > 0) {
        reasons << QStringLiteral("氏名が長く、切り詰めると別の人と同じになる %1 件")
                       .arg(summary.skippedNameClash);
    }
    if (!reasons.isEmpty()) {
        text += QStringLiteral("（%1）").arg(reasons.join(QStringLiteral("、")));
    }
    return text + QStringLiteral("を取り込みました。");
}

}  // namespace rules::phonebookimport
