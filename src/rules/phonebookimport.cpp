#include "rules/phonebookimport.h"

#include <array>

#include "db/edatabaseerror.h"
#include "rules/csv.h"
#include "rules/telnumber.h"

namespace phonebookimport {
namespace {

// The text fields in table order, as the CSV export writes them.
constexpr std::array<QString db::UserRecord::*, 11> kCsvFields{
    &db::UserRecord::Name,     &db::UserRecord::Yomi,    &db::UserRecord::Tel2,
    &db::UserRecord::Tel,      &db::UserRecord::Fax,     &db::UserRecord::Zip,
    &db::UserRecord::Address,  &db::UserRecord::Note,    &db::UserRecord::LastCall,
    &db::UserRecord::CallTime, &db::UserRecord::Charges,
};

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
    record.Tel = calllog::normalizeNumber(record.Tel);
    record.Fax = calllog::normalizeNumber(record.Fax);
    // Every field is one line.
    for (QString db::UserRecord::*field : kCsvFields) {
        (record.*field).replace(u'\r', u' ').replace(u'\n', u' ');
    }
    record = db::PhoneBookTable::fitted(record);
    // A cut may end at a space inside the text.
    for (QString* text : {&record.Name, &record.Yomi, &record.Zip, &record.Address, &record.Note}) {
        *text = text->trimmed();
    }
    record.Tel2 = calllog::lookupDigits(record.Tel);
    return record;
}

ImportedRecords fromCsv(const QByteArray& data) {
    const QList<QStringList> rows = csv::read(data);
    ImportedRecords imported;
    if (rows.isEmpty()) {
        return imported;
    }
    const QStringList names = db::PhoneBookTable::fieldNames();
    const bool header = rows.first().contains(names.first());
    std::array<qsizetype, kCsvFields.size()> column{};
    for (size_t f = 0; f < kCsvFields.size(); ++f) {
        column[f] = header ? rows.first().indexOf(names[static_cast<qsizetype>(f)])
                           : static_cast<qsizetype>(f);
    }
    for (qsizetype r = header ? 1 : 0; r < rows.size(); ++r) {
        db::UserRecord record;
        for (size_t f = 0; f < kCsvFields.size(); ++f) {
            if (column[f] >= 0 && column[f] < rows[r].size()) {
                record.*kCsvFields[f] = rows[r][column[f]];
            }
        }
        record = asEditorStores(record);
        if (record.Name.isEmpty()) {
            ++imported.withoutName;
        } else {
            imported.records << record;
        }
    }
    return imported;
}

int existingCount(const db::PhoneBookTable& table, const QList<db::UserRecord>& records) {
    int count = 0;
    for (const db::UserRecord& record : records) {
        if (table.record(record.Name)) {
            ++count;
        }
    }
    return count;
}

Summary importRecords(db::PhoneBookTable& table, const ImportedRecords& imported, bool overwrite) {
    Summary summary;
    summary.skippedWithoutName = imported.withoutName;
    table.beginBatch();
    try {
        for (const db::UserRecord& record : imported.records) {
            const std::optional<db::UserRecord> old = table.record(record.Name);
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
            if (replacement.LastCall.isEmpty() && replacement.CallTime.isEmpty() &&
                replacement.Charges.isEmpty()) {
                replacement.LastCall = old->LastCall;
                replacement.CallTime = old->CallTime;
                replacement.Charges = old->Charges;
            }
            table.gotoName(record.Name);
            table.post(replacement);
            ++summary.overwritten;
        }
    } catch (...) {
        // The engine may have rolled back already (a full disk does); the cause is what is told.
        try {
            table.rollbackBatch();
        } catch (const db::EDatabaseError&) {
        }
        throw;
    }
    table.commitBatch();
    return summary;
}

QString summaryText(const Summary& summary) {
    QString text = QStringLiteral("追加 %1 件、上書き %2 件、スキップ %3 件")
                       .arg(summary.added)
                       .arg(summary.overwritten)
                       .arg(summary.skippedExisting + summary.skippedWithoutName);
    QStringList reasons;
    if (summary.skippedExisting > 0) {
        reasons << QStringLiteral("同じ氏名が登録済み %1 件").arg(summary.skippedExisting);
    }
    if (summary.skippedWithoutName > 0) {
        reasons << QStringLiteral("氏名なし %1 件").arg(summary.skippedWithoutName);
    }
    if (!reasons.isEmpty()) {
        text += QStringLiteral("（%1）").arg(reasons.join(QStringLiteral("、")));
    }
    return text + QStringLiteral("を取り込みました。");
}

}  // namespace phonebookimport
