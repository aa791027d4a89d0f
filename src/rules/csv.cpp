#include "rules/csv.h"

#include <QStringDecoder>

#include "ui/sjis.h"

namespace rules::csv {
namespace {

constexpr qsizetype FlushChars = 1 << 16;
const QByteArray Utf8Bom("\xEF\xBB\xBF");

bool looksLikeFormula(const QString& cell) {
    if (cell.isEmpty()) {
        return false;
    }
    const QChar first = cell.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@';
}

// Apostrophes, then a formula-like text.
bool isGuarded(const QString& cell) {
    qsizetype i = 0;
    while (i < cell.size() && cell[i] == u'\'') {
        ++i;
    }
    return i > 0 && looksLikeFormula(cell.mid(i));
}

}  // namespace

QString quoteCell(const QString& cell) {
    // A cell that already looks guarded gets a second apostrophe, so reading it back gives it
    // whole.
    const bool formula = looksLikeFormula(cell) || isGuarded(cell);
    const bool special =
        cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r');
    if (!formula && !special) {
        return cell;
    }
    QString text = cell;
    text.replace(u'"', QStringLiteral("\"\""));
    return QStringLiteral("\"%1%2\"").arg(formula ? QStringLiteral("'") : QString(), text);
}

QString rowText(const QStringList& cells) {
    QString text;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            text += u',';
        }
        text += quoteCell(cells[i]);
    }
    text += QStringLiteral("\r\n");
    return text;
}

Writer::Writer(QIODevice& device, Encoding encoding) : device_(device), encoding_(encoding) {
    if (encoding_ == Encoding::Utf8WithBom && device_.write(Utf8Bom) != Utf8Bom.size()) {
        failed_ = true;
    }
}

Writer::~Writer() {
    flush();
}

void Writer::writeRow(const QStringList& cells) {
    pending_ += rowText(cells);
    if (pending_.size() >= FlushChars) {
        flush();
    }
}

bool Writer::finish() {
    flush();
    return !failed_;
}

void Writer::flush() {
    if (pending_.isEmpty()) {
        return;
    }
    const QByteArray bytes =
        encoding_ == Encoding::Cp932 ? ui::sjis::fromUnicode(pending_) : pending_.toUtf8();
    if (device_.write(bytes) != bytes.size()) {
        failed_ = true;
    }
    pending_.clear();
}

QString decode(const QByteArray& bytes, Encoding* found) {
    if (bytes.startsWith(Utf8Bom)) {
        if (found) {
            *found = Encoding::Utf8WithBom;
        }
        return QString::fromUtf8(bytes.mid(Utf8Bom.size()));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) {
        if (found) {
            *found = Encoding::Utf8WithBom;
        }
        return text;
    }
    if (found) {
        *found = Encoding::Cp932;
    }
    return ui::sjis::toUnicode(bytes);
}

Table parseTable(const QString& text) {
    Table table;
    QStringList row;
    QString cell;
    bool quoted = false;     // inside a quoted cell
    bool wasQuoted = false;  // the current cell began with a quote
    bool rowStarted = false;
    int line = 1;
    int rowLine = 1;
    int quoteLine = 0;
    auto endCell = [&] {
        row.append(isGuarded(cell) ? cell.mid(1) : cell);
        cell.clear();
        wasQuoted = false;
    };
    auto endRow = [&] {
        endCell();
        table.rows.append(row);
        table.lines.append(rowLine);
        row.clear();
        rowStarted = false;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\n' || (c == u'\r' && (i + 1 == n || text[i + 1] != u'\n'))) {
            ++line;
        }
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    cell += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
                if (line - quoteLine > Table::MaxCellLines && table.unclosedQuoteLine == 0) {
                    table.unclosedQuoteLine = quoteLine;
                }
            }
            continue;
        }
        if (!rowStarted && row.isEmpty() && cell.isEmpty()) {
            rowLine = line;
        }
        if (c == u'"' && cell.isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            rowStarted = true;
            quoteLine = line;
        } else if (c == u',') {
            endCell();
            rowStarted = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
                ++line;
            }
            // A blank line is no row.
            if (rowStarted || !cell.isEmpty() || !row.isEmpty()) {
                endRow();
            }
        } else {
            cell += c;
            rowStarted = true;
        }
    }
    if (quoted && table.unclosedQuoteLine == 0) {
        table.unclosedQuoteLine = quoteLine;
    }
    if (rowStarted || !cell.isEmpty() || !row.isEmpty()) {
        endRow();
    }
    return table;
}

QList<QStringList> parse(const QString& text) {
    return parseTable(text).rows;
}

QList<QStringList> read(const QByteArray& bytes, Encoding* found) {
    return parse(decode(bytes, found));
}

}  // namespace rules::csv
