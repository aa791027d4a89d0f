#include "rules/vcard.h"

#include <QBuffer>
#include <QImageReader>
#include <QStringDecoder>
#include <algorithm>
#include <functional>
#include <optional>

#include "rules/picture.h"
#include "ui/sjis.h"

namespace rules::vcard {
namespace {

// One content line: its name without group, its parameters and its value as written.
struct Property {
    QByteArray name;                                  // upper case
    QList<std::pair<QByteArray, QByteArray>> params;  // key upper case; bare 2.1 words are TYPE
    QByteArray value;

    QByteArray param(const QByteArray& key) const {
        for (const auto& [k, v] : params) {
            if (k == key) {
                return v;
            }
        }
        return {};
    }

    bool hasType(const QByteArray& type) const {
        for (const auto& [k, v] : params) {
            if (k != "TYPE") {
                continue;
            }
            for (const QByteArray& one : v.split(',')) {
                if (one.trimmed().toUpper() == type) {
                    return true;
                }
            }
        }
        return false;
    }

    QByteArray encoding() const { return param("ENCODING").toUpper(); }
    bool isBase64() const { return encoding() == "B" || encoding() == "BASE64"; }
    bool isQuotedPrintable() const { return encoding() == "QUOTED-PRINTABLE"; }
};

// Where the name and parameters end: the first colon outside double quotes.
qsizetype headerEnd(const QByteArray& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            return i;
        }
    }
    return -1;
}

// Splits on a separator outside double quotes, dropping the quotes.
QList<QByteArray> splitUnquoted(const QByteArray& text, char separator) {
    QList<QByteArray> parts{QByteArray()};
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            parts << QByteArray();
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

std::optional<Property> parseProperty(const QByteArray& line) {
    const qsizetype colon = headerEnd(line);
    if (colon < 0) {
        return std::nullopt;
    }
    Property p;
    const QList<QByteArray> header = splitUnquoted(line.left(colon), ';');
    p.name = header.first().trimmed().toUpper();
    p.name = p.name.mid(p.name.lastIndexOf('.') + 1);
    for (qsizetype i = 1; i < header.size(); ++i) {
        const qsizetype eq = header[i].indexOf('=');
        if (eq >= 0) {
            p.params.emplace_back(header[i].left(eq).trimmed().toUpper(), header[i].mid(eq + 1));
            continue;
        }
        // Version 2.1 names encodings and types by a bare word.
        const QByteArray word = header[i].trimmed().toUpper();
        const bool encoding = word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "8BIT";
        p.params.emplace_back(encoding ? QByteArray("ENCODING") : QByteArray("TYPE"), word);
    }
    p.value = line.mid(colon + 1);
    return p;
}

bool isBase64Line(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (t.isEmpty()) {
        return false;
    }
    for (const char c : t) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '+' || c == '/' || c == '=';
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool isCardBorder(const QByteArray& line) {
    const QByteArray t = line.trimmed().toUpper();
    return t.startsWith("BEGIN:VCARD") || t.startsWith("END:VCARD");
}

// Hands each content line of the data, with folding, soft line breaks and bare base64 lines
// joined, to take together with how many of the data's lines are read; stops when take says no.
bool forEachProperty(const QByteArray& data,
                     const std::function<bool(const Property&, int read, int lines)>& take) {
    QByteArray text = data;
    // Some phones end lines with CR CR LF, which is one line end, not an empty line.
    text.replace("\r\r\n", "\n");
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    const QList<QByteArray> lines = text.split('\n');
    qsizetype i = 0;
    while (i < lines.size()) {
        QByteArray line = lines[i++];
        const qsizetype colon = headerEnd(line);
        const bool quotedPrintable =
            colon >= 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
        while (i < lines.size()) {
            if (quotedPrintable && line.endsWith('=')) {
                line.chop(1);
                // A broken soft line break never takes the card's border with it.
                if (isCardBorder(lines[i])) {
                    break;
                }
                line += lines[i++];
            } else if (lines[i].startsWith(' ') || lines[i].startsWith('\t')) {
                line += lines[i++].mid(1);
            } else {
                break;
            }
        }
        std::optional<Property> p = parseProperty(line);
        if (!p) {
            continue;
        }
        // Version 2.1 writers may leave base64 lines unindented; they end at a blank line.
        if (p->isBase64()) {
            while (i < lines.size() && isBase64Line(lines[i])) {
                p->value += lines[i++].trimmed();
            }
        }
        if (!take(*p, static_cast<int>(i), static_cast<int>(lines.size()))) {
            return false;
        }
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

QByteArray fromQuotedPrintable(const QByteArray& in) {
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 &&
            hexValue(in[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

QByteArray transferDecoded(const Property& p) {
    if (p.isQuotedPrintable()) {
        return fromQuotedPrintable(p.value);
    }
    if (p.isBase64()) {
        return QByteArray::fromBase64(p.value);
    }
    return p.value;
}

bool isShiftJisName(const QByteArray& charset) {
    static const QList<QByteArray> names{"SHIFT_JIS",   "SHIFT-JIS", "SJIS",  "CP932",
                                         "WINDOWS-31J", "MS_KANJI",  "X-SJIS"};
    return names.contains(charset);
}

QString decodeText(const QByteArray& bytes, const QByteArray& charsetParam) {
    const QByteArray charset = charsetParam.trimmed().toUpper();
    if (isShiftJisName(charset)) {
        return ui::sjis::toUnicode(bytes);
    }
    if (!charset.isEmpty() && charset != "UTF-8") {
        QStringDecoder named(charset.constData());
        if (named.isValid()) {
            // Through UTF-8 and back, so that no unpaired surrogate of a UTF-16 card stays.
            return QString::fromUtf8(QString(named.decode(bytes)).toUtf8());
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError() || charset == "UTF-8") {
        return text;
    }
    return ui::sjis::toUnicode(bytes);
}

// How a card's values escape characters: version 2.1 escapes only the semicolon, so its other
// backslashes (the yen sign in Shift-JIS among them) are text.
enum class Escapes { Version21, Version30 };

QString unescape(const QString& text, Escapes escapes) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() &&
            (escapes == Escapes::Version30 || text[i + 1] == u';')) {
            const QChar next = text[++i];
            out += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The components of a structured value (N, ADR), split at unescaped semicolons.
QStringList components(const QString& value, Escapes escapes) {
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            parts.last() += value[i];
            parts.last() += value[++i];
        } else if (value[i] == u';') {
            parts << QString();
        } else {
            parts.last() += value[i];
        }
    }
    for (QString& part : parts) {
        part = unescape(part, escapes);
    }
    return parts;
}

// Phone book fields are single lines.
QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\n', u' ');
    line.replace(u'\r', u' ');
    return line.trimmed();
}

QString component(const QStringList& parts, qsizetype i) {
    return i < parts.size() ? oneLine(parts[i]) : QString();
}

QString joined(const QStringList& parts, const QString& separator) {
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.isEmpty()) {
            kept << part;
        }
    }
    return kept.join(separator);
}

QString textOf(const Property& p) {
    return decodeText(transferDecoded(p), p.param("CHARSET"));
}

QString numberOf(const Property& p) {
    QString number = oneLine(textOf(p));
    if (number.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive)) {
        number = number.mid(4).section(u';', 0, 0);
    }
    // The country code of an international number stands for the trunk prefix at home.
    if (number.startsWith(QStringLiteral("+81"))) {
        number = number.mid(3);
        while (!number.isEmpty() && QStringLiteral(" -.()").contains(number[0])) {
            number.remove(0, 1);
        }
        if (!number.startsWith(u'0')) {
            number.prepend(u'0');
        }
    }
    return number;
}

// A picture given inline: base64, or a data: URI.
QByteArray photoOf(const Property& p) {
    const QByteArray bytes = transferDecoded(p);
    if (p.isBase64()) {
        return bytes;
    }
    const QByteArray value = bytes.trimmed();
    if (!value.toLower().startsWith("data:")) {
        return {};
    }
    const qsizetype comma = value.indexOf(',');
    if (comma < 0) {
        return {};
    }
    const QByteArray data = value.mid(comma + 1);
    return value.left(comma).toLower().endsWith(";base64") ? QByteArray::fromBase64(data)
                                                           : QByteArray::fromPercentEncoding(data);
}

QString addressOf(const QStringList& parts) {
    const QString extended = component(parts, 1);
    const QString street = component(parts, 2);
    const QString locality = component(parts, 3);
    const QString region = component(parts, 4);
    const QString all = extended + street + locality + region;
    const bool japanese = std::any_of(all.begin(), all.end(), [](QChar c) { return c > u'\xFF'; });
    // A Japanese address runs from the prefecture down to the building.
    return japanese ? joined({region, locality, street, extended}, QString())
                    : joined({extended, street, locality, region}, QStringLiteral(", "));
}

Escapes escapesOf(const QList<Property>& props) {
    for (const Property& p : props) {
        if (p.name == "VERSION") {
            return p.value.trimmed() == "2.1" ? Escapes::Version21 : Escapes::Version30;
        }
    }
    return Escapes::Version30;
}

Card cardOf(const QList<Property>& props) {
    const Escapes escapes = escapesOf(props);
    Card card;
    QString structuredName;
    QString sortString;
    QString phoneticLast;
    QString phoneticFirst;
    QString soundReading;
    QString sortAs;
    bool haveAddress = false;
    bool haveNote = false;
    bool havePhoto = false;
    for (const Property& p : props) {
        if (p.name == "FN" && card.name.isEmpty()) {
            card.name = oneLine(unescape(textOf(p), escapes));
        } else if (p.name == "N" && structuredName.isEmpty()) {
            const QStringList parts = components(textOf(p), escapes);
            structuredName =
                joined({component(parts, 0), component(parts, 1)}, QStringLiteral(" "));
            sortAs = joined(
                components(decodeText(p.param("SORT-AS"), p.param("CHARSET")).replace(u',', u';'),
                           escapes),
                QString());
        } else if (p.name == "SORT-STRING" && sortString.isEmpty()) {
            sortString = oneLine(unescape(textOf(p), escapes));
        } else if (p.name == "X-PHONETIC-LAST-NAME" && phoneticLast.isEmpty()) {
            phoneticLast = oneLine(unescape(textOf(p), escapes));
        } else if (p.name == "X-PHONETIC-FIRST-NAME" && phoneticFirst.isEmpty()) {
            phoneticFirst = oneLine(unescape(textOf(p), escapes));
        } else if (p.name == "SOUND" && p.hasType("X-IRMC-N") && soundReading.isEmpty()) {
            soundReading = oneLine(joined(components(textOf(p), escapes), QString()));
        } else if (p.name == "TEL") {
            QString& target = p.hasType("FAX") ? card.fax : card.tel;
            if (target.isEmpty()) {
                target = numberOf(p);
            }
        } else if (p.name == "ADR" && !haveAddress) {
            haveAddress = true;
            const QStringList parts = components(textOf(p), escapes);
            card.address = addressOf(parts);
            card.zip = component(parts, 5);
        } else if (p.name == "NOTE" && !haveNote) {
            haveNote = true;
            card.note = oneLine(unescape(textOf(p), escapes));
        } else if (p.name == "PHOTO" && !havePhoto) {
            card.photo = photoOf(p);
            havePhoto = !card.photo.isEmpty();
        }
    }
    if (card.name.isEmpty()) {
        card.name = structuredName;
    }
    for (const QString& reading :
         {sortString, phoneticLast + phoneticFirst, soundReading, sortAs}) {
        if (!reading.isEmpty()) {
            card.reading = reading;
            break;
        }
    }
    return card;
}

QByteArray escaped(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c == u'\\' || c == u',' || c == u';') {
            out += u'\\';
        }
        out += c;
    }
    return out.toUtf8();
}

// Content lines longer than 75 octets go on in lines that start with a space, never inside a
// UTF-8 sequence.
void appendLine(QByteArray& out, const QByteArray& line) {
    qsizetype start = 0;
    qsizetype room = 75;
    while (line.size() - start > room) {
        qsizetype end = start + room;
        while (end > start + 1 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) {
            --end;
        }
        out += line.mid(start, end - start) + "\r\n ";
        start = end;
        room = 74;
    }
    out += line.mid(start) + "\r\n";
}

QByteArray pictureType(const QByteArray& picture) {
    QBuffer buffer;
    buffer.setData(picture);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader::imageFormat(&buffer).toUpper();
}

// The file's bytes in an encoding whose line ends and names are ASCII: UTF-16 (with a byte-order
// mark, or without one when every other byte of the start is zero) becomes UTF-8, and a UTF-8
// byte-order mark is dropped.
QByteArray asciiCompatible(const QByteArray& data) {
    if (data.startsWith("\xEF\xBB\xBF")) {
        return data.mid(3);
    }
    std::optional<QStringConverter::Encoding> utf16;
    qsizetype skip = 0;
    if (data.startsWith("\xFF\xFE")) {
        utf16 = QStringConverter::Utf16LE;
        skip = 2;
    } else if (data.startsWith("\xFE\xFF")) {
        utf16 = QStringConverter::Utf16BE;
        skip = 2;
    } else if (data.size() >= 4) {
        const qsizetype n = std::min<qsizetype>(data.size() & ~qsizetype(1), 256);
        int evenZeros = 0;
        int oddZeros = 0;
        for (qsizetype i = 0; i < n; i += 2) {
            evenZeros += data[i] == '\0';
            oddZeros += data[i + 1] == '\0';
        }
        // Property names are ASCII, so in UTF-16 many high bytes are zero; other text has none.
        const qsizetype units = n / 2;
        if (oddZeros * 2 >= units && evenZeros * 8 < units) {
            utf16 = QStringConverter::Utf16LE;
        } else if (evenZeros * 2 >= units && oddZeros * 8 < units) {
            utf16 = QStringConverter::Utf16BE;
        }
    }
    if (!utf16) {
        return data;
    }
    QStringDecoder decoder(*utf16);
    return QString(decoder.decode(data.mid(skip))).toUtf8();
}

}  // namespace

namespace {

// The cards of the data; none when progress cancels.
std::optional<QList<Card>> cardsOf(const QByteArray& data,
                                   const rules::phonebookimport::Progress& progress) {
    QList<Card> cards;
    QList<Property> current;
    int depth = 0;
    int seen = 0;
    const bool complete =
        forEachProperty(asciiCompatible(data), [&](const Property& p, int read, int lines) {
            if (progress && ++seen % 4096 == 0 && !progress(read, lines)) {
                return false;
            }
            const QByteArray value = p.value.trimmed().toUpper();
            if (p.name == "BEGIN" && value == "VCARD") {
                // 2.1 nests a card only as the value of an empty AGENT line; any other BEGIN
                // inside a card means that card lost its END: it ends here and the next begins.
                const bool nested = depth > 0 && !current.isEmpty() &&
                                    current.last().name == "AGENT" &&
                                    current.last().value.trimmed().isEmpty();
                if (depth == 1 && !nested) {
                    cards << cardOf(current);
                    depth = 0;
                }
                if (depth++ == 0) {
                    current.clear();
                }
            } else if (p.name == "END" && value == "VCARD" && depth > 0) {
                if (--depth == 0) {
                    cards << cardOf(current);
                }
            } else if (depth == 1) {
                // A card nested in another (2.1 AGENT) is not a person of this file.
                current << p;
            }
            return true;
        });
    if (!complete) {
        return std::nullopt;
    }
    // A file cut short still holds its last card.
    if (depth > 0) {
        cards << cardOf(current);
    }
    return cards;
}

}  // namespace

QList<Card> readCards(const QByteArray& data) {
    return *cardsOf(data, {});
}

namespace {

// The card's fields as the phone book names them, before the record editor's rules apply.
db::UserRecord rawRecord(const Card& card) {
    db::UserRecord record;
    record.name = card.name;
    record.yomi = rules::phonebookimport::hiragana(card.reading);
    record.tel = card.tel;
    record.fax = card.fax;
    record.zip = card.zip;
    record.address = card.address;
    record.note = card.note;
    record.picture = rules::picture::storedFromFile(card.photo);
    return record;
}

}  // namespace

db::UserRecord toRecord(const Card& card) {
    return rules::phonebookimport::asEditorStores(rawRecord(card));
}

rules::phonebookimport::ImportedRecords read(const QByteArray& data,
                                             const rules::phonebookimport::Progress& progress) {
    rules::phonebookimport::ImportedRecords imported;
    const std::optional<QList<Card>> cards = cardsOf(data, progress);
    if (!cards) {
        imported.cancelled = true;
        return imported;
    }
    for (const Card& card : *cards) {
        imported.take(rawRecord(card));
    }
    return imported;
}

QByteArray write(const QList<db::UserRecord>& records) {
    QByteArray out;
    for (const db::UserRecord& r : records) {
        appendLine(out, "BEGIN:VCARD");
        appendLine(out, "VERSION:3.0");
        appendLine(out, "FN:" + escaped(r.name));
        // The family name is what comes before the first space, as Japanese names are written.
        const auto space = std::find_if(r.name.begin(), r.name.end(),
                                        [](QChar c) { return c == u' ' || c == u'\u3000'; }) -
                           r.name.begin();
        const QString family = r.name.left(space);
        const QString given = r.name.mid(space + 1).trimmed();
        appendLine(out, "N:" + escaped(family) + ';' + escaped(given) + ";;;");
        if (!r.yomi.isEmpty()) {
            appendLine(out, "SORT-STRING:" + escaped(r.yomi));
            appendLine(out, "X-PHONETIC-LAST-NAME:" + escaped(r.yomi));
        }
        if (!r.tel.isEmpty()) {
            appendLine(out, "TEL;TYPE=VOICE:" + escaped(r.tel));
        }
        if (!r.fax.isEmpty()) {
            appendLine(out, "TEL;TYPE=FAX:" + escaped(r.fax));
        }
        if (!r.address.isEmpty() || !r.zip.isEmpty()) {
            appendLine(out, "ADR:;;" + escaped(r.address) + ";;;" + escaped(r.zip) + ';');
        }
        if (!r.note.isEmpty()) {
            appendLine(out, "NOTE:" + escaped(r.note));
        }
        if (!r.picture.isEmpty()) {
            const QByteArray type = pictureType(r.picture);
            appendLine(out, "PHOTO;ENCODING=b" + (type.isEmpty() ? QByteArray() : ";TYPE=" + type) +
                                ':' + r.picture.toBase64());
        }
        appendLine(out, "END:VCARD");
    }
    return out;
}

}  // namespace rules::vcard
