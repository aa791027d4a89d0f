#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace rules {

// The same number however written ("+81 3-1234-5678", "03(1234)5678", "0312345678"): the
// international form of a number the numbering plan knows, the dial digits of any other.
QString numberKey(const QString& text);

// A number written with "+" as it is dialled from Japan, hyphens kept ("+81 3-1234-5678" gives
// "03-1234-5678", "+1 650-253-0000" gives "010-1-650-253-0000"); any other text as it is.
QString domesticNumber(const QString& text);

// The digits the archive holds for a typed number: its dial digits as dialled from Japan.
QString archiveDigits(const QString& text);

// Numbers as people read them, from Japan's numbering plan and its area names: where a number
// comes from (the area of a fixed line, or the kind of number) and the number with hyphens.
// Each number is worked out once and kept, so that grids of many rows stay fast.
class NumberReader {
public:
    NumberReader();
    ~NumberReader();
    NumberReader(const NumberReader&) = delete;
    NumberReader& operator=(const NumberReader&) = delete;

    // Whether shownNumber() adds hyphens; on unless the settings turn it off.
    void setHyphens(bool on) { hyphens_ = on; }
    bool hyphens() const { return hyphens_; }

    // The area of a fixed line (東京, 大阪), the kind of any other number (携帯電話, IP電話 ...),
    // "国際" with the country, "番号なし" without digits; empty for a number the plan lacks.
    QString placeOf(const QString& number) const;
    // The number in the national format ("03-1234-5678"), foreign ones in the international
    // format ("+1 650-253-0000"); one the plan lacks, and every one without hyphens, as given.
    QString shownNumber(const QString& number) const;
    // The numbers among these whose place contains the text.
    QStringList numbersAt(const QString& placeText, const QStringList& numbers) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    bool hyphens_ = true;
};

}  // namespace rules
