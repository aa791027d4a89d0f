#include <QBuffer>
#include <QTest>

#include "rules/csv.h"
#include "ui/sjis.h"

class CsvTest : public QObject {
    Q_OBJECT
private slots:
    void quoting() {
        QCOMPARE(rules::csv::rowText({"plain", "a,b", "say \"hi\"", "two\r\nlines", ""}),
                 QStringLiteral("plain,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\r\n"));
        // Formula-like cells open as text; the guard does not hide a needed quote doubling.
        QCOMPARE(rules::csv::quoteCell("=SUM(A1)"), QStringLiteral("\"'=SUM(A1)\""));
        QCOMPARE(rules::csv::quoteCell("+81 3"), QStringLiteral("\"'+81 3\""));
        QCOMPARE(rules::csv::quoteCell("-1"), QStringLiteral("\"'-1\""));
        QCOMPARE(rules::csv::quoteCell("@x\"y"), QStringLiteral("\"'@x\"\"y\""));
        QCOMPARE(rules::csv::quoteCell("a=b"), QStringLiteral("a=b"));
    }

    void writerEncodings() {
        const QStringList row{"山田", "03-1234"};
        QBuffer utf8;
        utf8.open(QIODevice::WriteOnly);
        rules::csv::Writer w1(utf8, rules::csv::Encoding::Utf8WithBom);
        w1.writeRow(row);
        QVERIFY(w1.finish());
        QCOMPARE(utf8.data(), QByteArray("\xEF\xBB\xBF") + "山田,03-1234\r\n");

        QBuffer cp932;
        cp932.open(QIODevice::WriteOnly);
        rules::csv::Writer w2(cp932, rules::csv::Encoding::Cp932);
        w2.writeRow(row);
        QVERIFY(w2.finish());
        QCOMPARE(cp932.data(), QByteArray("\x8E\x52\x93\x63,03-1234\r\n"));

        // Many rows go out whole across the writer's internal pieces.
        QBuffer big;
        big.open(QIODevice::WriteOnly);
        rules::csv::Writer w3(big, rules::csv::Encoding::Cp932);
        for (int i = 0; i < 20000; ++i) {
            w3.writeRow({QString::number(i), "名前"});
        }
        QVERIFY(w3.finish());
        const QList<QStringList> back = rules::csv::read(big.data());
        QCOMPARE(back.size(), 20000);
        QCOMPARE(back.last(), (QStringList{"19999", "名前"}));

        // A device that refuses the bytes is reported.
        QBuffer closed;
        rules::csv::Writer w4(closed, rules::csv::Encoding::Cp932);
        w4.writeRow(row);
        QVERIFY(!w4.finish());
    }

    void reading() {
        rules::csv::Encoding found = rules::csv::Encoding::Cp932;
        const QByteArray withBom = QByteArray("\xEF\xBB\xBF") +
                                   "名前,番号\r\n\"a,\"\"b\"\"\",\"'=1+2\"\r\n\"x\ny\",'-3\n\n";
        const QList<QStringList> rows = rules::csv::read(withBom, &found);
        QCOMPARE(found, rules::csv::Encoding::Utf8WithBom);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], (QStringList{"名前", "番号"}));
        QCOMPARE(rows[1], (QStringList{"a,\"b\"", "=1+2"}));
        QCOMPARE(rows[2], (QStringList{"x\ny", "-3"}));

        // Bytes that are no UTF-8 are CP932; UTF-8 without the mark is still UTF-8.
        QCOMPARE(rules::csv::read(ui::sjis::fromUnicode("山田,\"'+81\"\r\n"), &found),
                 (QList<QStringList>{{"山田", "+81"}}));
        QCOMPARE(found, rules::csv::Encoding::Cp932);
        QCOMPARE(rules::csv::read(QByteArray("山田,1"), &found),
                 (QList<QStringList>{{"山田", "1"}}));
        QCOMPARE(found, rules::csv::Encoding::Utf8WithBom);
        // A written row reads back as it was.
        const QStringList tricky{"'", "'a", "=x", "'=x", "\"", ",", "", "改\r\n行"};
        QCOMPARE(rules::csv::parse(rules::csv::rowText(tricky)), QList<QStringList>{tricky});
    }
};

QTEST_GUILESS_MAIN(CsvTest)
#include "csv_test.moc"
