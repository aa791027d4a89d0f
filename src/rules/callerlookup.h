#pragma once

#include <QHash>
#include <QString>
#include <optional>

namespace db {
class PhoneBookTable;
}

namespace rules {

// Finds the phone book record of each number once per conversion: a number seen again finds
// the same record, since a conversion changes no name or number.
class CallerLookup {
public:
    explicit CallerLookup(db::PhoneBookTable& users) : users_(users) {}

    // The name of the first record with this 電話番号２ in that index's order, made the current
    // record; none when no record has it. The phone book stays ordered by 電話番号２.
    std::optional<QString> find(const QString& number);

private:
    db::PhoneBookTable& users_;
    QHash<QString, std::optional<QString>> seen_;
    std::optional<QString> current_;
};

}  // namespace rules
