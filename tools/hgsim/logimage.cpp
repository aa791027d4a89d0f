#include "hgsim/logimage.h"

#include <QRegularExpression>
#include <QStringList>

namespace hgsim {

namespace {

constexpr int MonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int NumberBytes = 23;
constexpr int SubNumberBytes = 21;

void putBigEndian(QByteArray& out, uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

void putDigits(QByteArray& out, const QByteArray& digits, int maxBytes) {
    const QByteArray cut = digits.left(maxBytes);
    out.append(cut);
    if (cut.size() < maxBytes) {
        out.append('\0');
    }
}

QByteArray encode(const SimCall& call) {
    QByteArray entry;
    entry.append(static_cast<char>(call.ports));
    entry.append(static_cast<char>(call.kind));
    const int32_t at = scaleSeconds(call.start);
    putBigEndian(entry, call.answeringMachine ? 0u : static_cast<uint32_t>(at), 4);
    putBigEndian(entry,
                 static_cast<uint32_t>(call.answeringMachine ? at : at + call.durationSeconds), 4);
    putBigEndian(entry, call.charge, 2);
    putDigits(entry, call.number, NumberBytes);
    putDigits(entry, call.subNumber, SubNumberBytes);
    return entry;
}

const QStringList& kindNames() {
    static const QStringList names{QStringLiteral("unknown"), QStringLiteral("out"),
                                   QStringLiteral("in"),      QStringLiteral("cb"),
                                   QStringLiteral("relay"),   QStringLiteral("fwd")};
    return names;
}

}  // namespace

int32_t scaleSeconds(const QDateTime& time) {
    const QDate date = time.date();
    const QTime clock = time.time();
    int yy = date.year() % 100;
    if (yy > 80 && yy < 97) {
        yy = 97;
    }
    if (yy < 80) {
        yy += 100;
    }
    int32_t seconds = (yy - 97) * 31536000;
    for (int month = 1; month < date.month(); ++month) {
        seconds += MonthDays[month - 1] * 86400;
    }
    return seconds + date.day() * 86400 + clock.hour() * 3600 + clock.minute() * 60 +
           clock.second();
}

QByteArray buildLogImage(const std::vector<SimCall>& calls) {
    QByteArray image;
    for (const SimCall& call : calls) {
        const QByteArray entry = encode(call);
        // Keep one zero byte after the last entry to end the log.
        if (image.size() + entry.size() < LogImageBytes) {
            image.append(entry);
        }
    }
    image.append(QByteArray(LogImageBytes - image.size(), '\0'));
    return image;
}

std::vector<SimCall> parseCalls(const QString& text, QString* error) {
    static const QRegularExpression line(QStringLiteral(
        R"(^\s*([1-7])\s+(\w+)\s+(\d{4}-\d\d-\d\d)\s+(\d\d:\d\d:\d\d)\s+(\d+)\s+(\d+)\s+(\S+)\s*$)"));
    std::vector<SimCall> calls;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QRegularExpressionMatch m = line.match(trimmed);
        const QString kind = m.captured(2);
        const QDateTime start =
            QDateTime::fromString(m.captured(3) + QLatin1Char(' ') + m.captured(4),
                                  QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const bool answering = kind == QStringLiteral("am");
        if (!m.hasMatch() || !start.isValid() || (!answering && !kindNames().contains(kind)) ||
            m.captured(6).toUInt() > 0xFFFF) {
            if (error != nullptr) {
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(trimmed);
            }
            return {};
        }
        SimCall call;
        call.ports = static_cast<uint8_t>(m.captured(1).toUInt());
        call.answeringMachine = answering;
        call.kind = static_cast<uint8_t>(answering ? 2 : kindNames().indexOf(kind));
        call.start = start;
        call.durationSeconds = m.captured(5).toInt();
        call.charge = static_cast<uint16_t>(m.captured(6).toUInt());
        const QByteArray number = m.captured(7).toLatin1();
        if (number != "-") {
            const int star = number.indexOf('*');
            call.number = star < 0 ? number : number.left(star);
            call.subNumber = star < 0 ? QByteArray() : number.mid(star + 1);
        }
        calls.push_back(call);
    }
    return calls;
}

std::vector<SimCall> defaultCalls() {
    return parseCalls(QStringLiteral(R"(
1 out     2026-12-01 09:15:00   185    30 0312345678
2 in      2026-12-01 10:02:10    65     0 0451112222
1 am      2026-12-01 12:30:00     0     0 0667778888
4 out     2026-12-02 08:00:05  3725   280 0120123456*12
3 cb      2026-12-02 14:22:00    40    10 0298765432
5 relay   2026-12-03 19:45:30   600     0 0112223333
6 fwd     2026-12-04 07:10:00   300   120 09012345678
2 unknown 2026-12-05 21:00:00    10     0 -
7 in      2026-12-06 11:11:11 36000  1234 0312345678*3
2 am      2026-12-07 16:40:00     0     0 0451112222
)"),
                      nullptr);
}

}  // namespace hgsim
