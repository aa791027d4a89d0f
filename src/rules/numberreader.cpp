#include "rules/numberreader.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumberutil.h>

#include <QHash>
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

// The number the plan makes of a text, read as dialled from Japan; none when it has no digits.
std::optional<PhoneNumber> parsed(const QString& text) {
    if (lookupDigits(normalizeNumber(text)).isEmpty()) {
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

struct NumberReader::Reading {
    QString place;
    QString hyphenated;
};

struct NumberReader::Impl {
    // Loading the area names takes a while: done once, when the first number is read.
    std::unique_ptr<i18n::phonenumbers::PhoneNumberOfflineGeocoder> geocoder;
    icu::Locale japanese{"ja"};
    QHash<QString, Reading> readings;

    QString areaOf(const PhoneNumber& number) {
        if (!geocoder) {
            geocoder = std::make_unique<i18n::phonenumbers::PhoneNumberOfflineGeocoder>();
        }
        return QString::fromStdString(
            geocoder->GetDescriptionForValidNumber(number, japanese, Home));
    }

    Reading read(const QString& text) {
        const Parts parts = partsOf(text);
        const std::optional<PhoneNumber> number = parsed(parts.main);
        if (!number) {
            const bool noDigits = lookupDigits(normalizeNumber(text)).isEmpty();
            return {noDigits ? QStringLiteral("番号なし") : QString(), text};
        }
        if (!util().IsValidNumber(*number)) {
            return {QString(), text};
        }
        if (number->country_code() != JapanCode) {
            const QString country = areaOf(*number);
            return {country.isEmpty() ? QStringLiteral("国際")
                                      : QStringLiteral("国際（%1）").arg(country),
                    formatted(*number, PhoneNumberUtil::INTERNATIONAL) + parts.rest};
        }
        const PhoneNumberUtil::PhoneNumberType type = util().GetNumberType(*number);
        QString place = kindText(type);
        if (type == PhoneNumberUtil::FIXED_LINE || type == PhoneNumberUtil::FIXED_LINE_OR_MOBILE) {
            // Without a known area the geocoder names only the country.
            const QString area = areaOf(*number);
            if (!area.isEmpty() && area != QStringLiteral("日本")) {
                place = area;
            }
        }
        return {place, formatted(*number, PhoneNumberUtil::NATIONAL) + parts.rest};
    }
};

NumberReader::NumberReader() : d(std::make_unique<Impl>()) {}

NumberReader::~NumberReader() = default;

const NumberReader::Reading& NumberReader::readingOf(const QString& number) const {
    auto it = d->readings.constFind(number);
    if (it == d->readings.constEnd()) {
        it = d->readings.insert(number, d->read(number));
    }
    return *it;
}

QString NumberReader::placeOf(const QString& number) const {
    return readingOf(number).place;
}

QString NumberReader::shownNumber(const QString& number) const {
    return hyphens_ ? readingOf(number).hyphenated : number;
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
