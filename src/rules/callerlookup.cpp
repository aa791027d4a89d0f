#include "rules/callerlookup.h"

#include "db/phonebooktable.h"

namespace rules {

std::optional<QString> CallerLookup::find(const QString& number) {
    // A call without a number (withheld, or an answering-machine entry) is nobody's call, even
    // though records whose TEL has no digits carry an empty look-up number.
    if (number.isEmpty()) {
        return std::nullopt;
    }
    auto it = seen_.find(number);
    if (it == seen_.end()) {
        users_.setIndex(db::PhoneBookTable::Index::Tel2);
        std::optional<QString> name;
        if (users_.findKey(number)) {
            name = users_.current().value().name;
            current_ = name;
        }
        it = seen_.insert(number, name);
    } else if (*it && *it != current_) {
        users_.gotoName(**it);
        current_ = *it;
    }
    return *it;
}

}  // namespace rules
