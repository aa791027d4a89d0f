#include "rules/phonebookexport.h"

#include "rules/vcard.h"
#include "state/atomicfile.h"

namespace rules {

QStringList phoneBookCsvHeader() {
    QStringList header = db::PhoneBookTable::fieldNames();
    header.removeLast();  // the picture
    return header;
}

csv::RowSource phoneBookCsvRows(const db::PhoneBookTable& table) {
    return [&table](const auto& write) {
        table.forEachRecord([&write](const db::UserRecord& r) {
            write({r.name, r.yomi, r.tel2, r.tel, r.fax, r.zip, r.address, r.note, r.lastCall,
                   r.callTime, r.charges});
        });
    };
}

QString writePhoneBookCsv(const db::PhoneBookTable& table, const QString& path,
                          csv::Encoding encoding) {
    return csv::writeFile(path, encoding, phoneBookCsvHeader(), phoneBookCsvRows(table));
}

QString writeVCardFile(const QList<db::UserRecord>& records, const QString& path) {
    appstate::AtomicFile file(path);
    const QByteArray cards = vcard::write(records);
    if (!file.open(QIODevice::WriteOnly) || file.write(cards) != cards.size() || !file.commit()) {
        file.cancel();
        return file.failure();
    }
    return {};
}

}  // namespace rules
