#include "rules/numberreader.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumberutil.h>

#include <QHash>
#include <algorithm>
#include <optional>

#include "rules/telnumber.h"

namespace rules {
namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

constexpr int JapanCode = 81;
const char* const Home = "JP";

PhoneNumberUtil& util() {
    return *PhoneNumberUtil::GetInstance();
}

// A number split at its sub-number ("*12"), which the numbering plan does not know.
struct Parts {
    QString main;
    QString rest;
};

Parts partsOf(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (QStringView(u"*#＊＃").contains(text[i])) {
            return {text.left(i), text.mid(i)};
        }
    }
    return {text, QString()};
}

bool hasDigit(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// The number the plan makes of a text, read as dialled from Japan; none when it has no digits.
std::optional<PhoneNumber> parsed(const QString& text) {
    if (!hasDigit(text)) {
        return std::nullopt;
    }
    PhoneNumber number;
    if (util().Parse(text.toStdString(), Home, &number) != PhoneNumberUtil::NO_PARSING_ERROR) {
        return std::nullopt;
    }
    return number;
}

QString formatted(const PhoneNumber& number, PhoneNumberUtil::PhoneNumberFormat format) {
    std::string out;
    util().Format(number, format, &out);
    return QString::fromStdString(out);
}

QString kindText(PhoneNumberUtil::PhoneNumberType type) {
    switch (type) {
        case PhoneNumberUtil::MOBILE:
        case PhoneNumberUtil::PAGER:
            return QStringLiteral("携帯電話");
        case PhoneNumberUtil::TOLL_FREE:
            return QStringLiteral("フリーダイヤル");
        case PhoneNumberUtil::SHARED_COST:
        case PhoneNumberUtil::UAN:
            return QStringLiteral("ナビダイヤル");
        case PhoneNumberUtil::VOIP:
            return QStringLiteral("IP電話");
        case PhoneNumberUtil::PREMIUM_RATE:
            return QStringLiteral("有料情報");
        case PhoneNumberUtil::FIXED_LINE:
        case PhoneNumberUtil::FIXED_LINE_OR_MOBILE:
            return QStringLiteral("固定電話");
        default:
            return QString();
    }
}

}  // namespace

QString numberKey(const QString& text) {
    const Parts parts = partsOf(text);
    const std::optional<PhoneNumber> number = parsed(parts.main);
    if (!number) {
        return lookupDigits(normalizeNumber(text));
    }
    return formatted(*number, PhoneNumberUtil::E164) + lookupDigits(normalizeNumber(parts.rest));
}

QString domesticNumber(const QString& text) {
    const QString typed = text.trimmed();
    if (!typed.startsWith(u'+') && !typed.startsWith(u'＋')) {
        return text;
    }
    const Parts parts = partsOf(typed);
    const std::optional<PhoneNumber> number = parsed(parts.main);
    if (!number || !util().IsValidNumber(*number)) {
        return text;
    }
    if (number->country_code() == JapanCode) {
        return formatted(*number, PhoneNumberUtil::NATIONAL) + parts.rest;
    }
    // "+1 650-253-0000": the international call prefix stands for the plus.
    QString international = formatted(*number, PhoneNumberUtil::INTERNATIONAL).mid(1);
    international.replace(u' ', u'-');
    return QStringLiteral("010-") + international + parts.rest;
}

QString archiveDigits(const QString& text) {
    return lookupDigits(normalizeNumber(domesticNumber(text)));
}

struct NumberReader::Impl {
    // Loading the area names takes a while: done once, when the first place is asked for.
    std::unique_ptr<i18n::phonenumbers::PhoneNumberOfflineGeocoder> geocoder;
    icu::Locale japanese{"ja"};
    QHash<QString, QString> places;
    QHash<QString, QString> shown;

    QString areaOf(const PhoneNumber& number) {
        if (!geocoder) {
            geocoder = std::make_unique<i18n::phonenumbers::PhoneNumberOfflineGeocoder>();
        }
        return QString::fromStdString(
            geocoder->GetDescriptionForValidNumber(number, japanese, Home));
    }

    QString placeOf(const QString& text) {
        const std::optional<PhoneNumber> number = parsed(partsOf(text).main);
        if (!number) {
            return hasDigit(text) ? QString() : QStringLiteral("番号なし");
        }
        if (number->country_code() != JapanCode) {
            if (!util().IsValidNumber(*number)) {
                return QString();
            }
            const QString country = areaOf(*number);
            return country.isEmpty() ? QStringLiteral("国際")
                                     : QStringLiteral("国際（%1）").arg(country);
        }
        // At home a number of no known type is not a valid one.
        const PhoneNumberUtil::PhoneNumberType type = util().GetNumberType(*number);
        if (type != PhoneNumberUtil::FIXED_LINE && type != PhoneNumberUtil::FIXED_LINE_OR_MOBILE) {
            return kindText(type);
        }
        // Without a known area the geocoder names only the country.
        const QString area = areaOf(*number);
        return area.isEmpty() || area == QStringLiteral("日本") ? kindText(type) : area;
    }

    QString hyphenated(const QString& text) {
        const Parts parts = partsOf(text);
        const std::optional<PhoneNumber> number = parsed(parts.main);
        if (!number || !util().IsValidNumber(*number)) {
            return text;
        }
        return formatted(*number, number->country_code() == JapanCode
                                      ? PhoneNumberUtil::NATIONAL
                                      : PhoneNumberUtil::INTERNATIONAL) +
               parts.rest;
    }
};

NumberReader::NumberReader() : d(std::make_unique<Impl>()) {}

NumberReader::~NumberReader() = default;

QString NumberReader::placeOf(const QString& number) const {
    auto it = d->places.constFind(number);
    if (it == d->places.constEnd()) {
        it = d->places.insert(number, d->placeOf(number));
    }
    return *it;
}

QString NumberReader::shownNumber(const QString& number) const {
    if (!hyphens_) {
        return number;
    }
    auto it = d->shown.constFind(number);
    if (it == d->shown.constEnd()) {
        it = d->shown.insert(number, d->hyphenated(number));
    }
    return *it;
}

QStringList NumberReader::numbersAt(const QString& placeText, const QStringList& numbers) const {
    QStringList found;
    const QString wanted = placeText.trimmed();
    if (wanted.isEmpty()) {
        return found;
    }
    for (const QString& number : numbers) {
        if (placeOf(number).contains(wanted, Qt::CaseInsensitive)) {
            found << number;
        }
    }
    return found;
}

}  // namespace rules
