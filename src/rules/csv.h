#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated files as spreadsheet programs read and write them: RFC 4180 quoting, CRLF line
// ends, UTF-8 with a byte-order mark or CP932.
namespace rules::csv {

enum class Encoding { Utf8WithBom, Cp932 };

// One cell as written: quoted when it holds a comma, a quote or a line break; a cell a
// spreadsheet would take for a formula (=, +, -, @ first) gets an apostrophe in front and is
// quoted, so that it opens as text.
QString quoteCell(const QString& cell);
// The cells joined by commas and ended by CRLF.
QString rowText(const QStringList& cells);

// Writes rows to a device in the chosen encoding, the byte-order mark first for UTF-8. Rows are
// gathered and encoded in large pieces, so a million rows stay cheap.
class Writer {
public:
    Writer(QIODevice& device, Encoding encoding);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void writeRow(const QStringList& cells);
    // Writes what is gathered; false when the device refused any of it.
    bool finish();

private:
    void flush();

    QIODevice& device_;
    Encoding encoding_;
    QString pending_;
    bool failed_ = false;
};

// The text of a file's bytes: UTF-8 when it starts with the byte-order mark (dropped) or is valid
// UTF-8, else CP932. found, when given, receives which.
QString decode(const QByteArray& bytes, Encoding* found = nullptr);
// The rows of a text with the line each begins on (counted from 1). unclosedQuoteLine is the line
// where a quoted cell opened that runs to the end of the text or over more than MaxCellLines
// lines, which no cell of a contact file does; 0 when every quote closes in time.
struct Table {
    static constexpr int MaxCellLines = 10;
    QList<QStringList> rows;
    QList<int> lines;
    int unclosedQuoteLine = 0;
};
Table parseTable(const QString& text);

// The rows of a text: RFC 4180 quoting, CRLF or LF line ends, line breaks kept inside quotes, the
// apostrophe put before a formula-like cell taken off. An empty last line is no row.
QList<QStringList> parse(const QString& text);
// decode and parse together.
QList<QStringList> read(const QByteArray& bytes, Encoding* found = nullptr);

}  // namespace rules::csv
