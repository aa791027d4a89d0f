#include <QTest>

#include "ui/sjis.h"

class SjisTest : public QObject {
    Q_OBJECT
private slots:
    void cp932Bytes() {
        QCOMPARE(ui::sjis::fromUnicode(QStringLiteral("０３－１２３４（代）")).toHex(' ').left(23),
                 QByteArray("82 4f 82 52 81 7c 82 50"));
        QCOMPARE(ui::sjis::byteLength(QStringLiteral("ﾀﾞｲﾔﾙ")), 5);
        QCOMPARE(ui::sjis::byteLength(QStringLiteral("山田 太郎")), 9);
        // Characters the strict tables refuse but a Japanese user types.
        QCOMPARE(ui::sjis::byteLength(QStringLiteral("〜−")), 4);
        QCOMPARE(ui::sjis::toUnicode(ui::sjis::fromUnicode(QStringLiteral("〒100-0001 東京都"))),
                 QStringLiteral("〒100-0001 東京都"));
    }

    void cutAtCharacterBoundary_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << QStringLiteral("山田") << 4 << QStringLiteral("山田");
        QTest::newRow("odd size drops half a kanji")
            << QStringLiteral("山田太郎") << 5 << QStringLiteral("山田");
        QTest::newRow("eleven kanji into twenty bytes")
            << QStringLiteral("一二三四五六七八九十百") << 20
            << QStringLiteral("一二三四五六七八九十");
        QTest::newRow("mixed") << QStringLiteral("aあbいc") << 4 << QStringLiteral("aあb");
        QTest::newRow("half-width kana are single bytes")
            << QStringLiteral("ﾀﾞｲﾔﾙ発信") << 6 << QStringLiteral("ﾀﾞｲﾔﾙ");
        QTest::newRow("zero") << QStringLiteral("abc") << 0 << QString();
        QTest::newRow("no Shift-JIS form: kept, two bytes each")
            << QStringLiteral("aÑ–bc") << 6 << QStringLiteral("aÑ–b");
        QTest::newRow("beyond the BMP") << QStringLiteral("😀😀") << 3 << QStringLiteral("😀");
    }
    void cutAtCharacterBoundary() {
        QFETCH(QString, text);
        QFETCH(int, size);
        QFETCH(QString, expected);
        QCOMPARE(ui::sjis::cut(text, size), expected);
        QVERIFY(ui::sjis::byteLength(ui::sjis::cut(text, size)) <= size);
    }

    void cutBytesKeepsLoneLeadByteOut() {
        // A lead byte at the very end has no trail byte: it counts as one byte and may stay.
        const QByteArray bytes = QByteArray("ab") + char(0x82);
        QCOMPARE(ui::sjis::cutBytes(bytes, 3), bytes);
        QCOMPARE(ui::sjis::cutBytes(QByteArray("\x82\xa0\x82\xa2", 4), 3),
                 QByteArray("\x82\xa0", 2));
    }
};

QTEST_GUILESS_MAIN(SjisTest)
#include "sjis_test.moc"
