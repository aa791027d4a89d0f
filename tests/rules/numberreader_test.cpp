#include <QTest>

#include "rules/numberreader.h"

class NumberReaderTest : public QObject {
    Q_OBJECT

private slots:
    void namesThePlaceAndHyphens_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Tokyo") << "0312345678"
                               << "東京"
                               << "03-1234-5678";
        QTest::newRow("Osaka") << "0662345678"
                               << "大阪"
                               << "06-6234-5678";
        QTest::newRow("Chitose") << "0123412345"
                                 << "千歳"
                                 << "0123-41-2345";
        QTest::newRow("Sapporo") << "0112345678"
                                 << "札幌"
                                 << "011-234-5678";
        QTest::newRow("Kyoto, with a sub-number") << "0752345678*3"
                                                  << "京都"
                                                  << "075-234-5678*3";
        QTest::newRow("mobile 090") << "09012345678"
                                    << "携帯電話"
                                    << "090-1234-5678";
        QTest::newRow("mobile 080") << "08023456789"
                                    << "携帯電話"
                                    << "080-2345-6789";
        QTest::newRow("free dial") << "0120123456"
                                   << "フリーダイヤル"
                                   << "0120-123-456";
        QTest::newRow("navi dial") << "0570123456"
                                   << "ナビダイヤル"
                                   << "0570-123-456";
        QTest::newRow("IP phone") << "05012345678"
                                  << "IP電話"
                                  << "050-1234-5678";
        QTest::newRow("abroad, dialled") << "01016502530000"
                                         << "国際（アメリカ合衆国）"
                                         << "+1 650-253-0000";
        QTest::newRow("abroad, written") << "+44 20 7946 0000"
                                         << "国際（イギリス）"
                                         << "+44 20 7946 0000";
        QTest::newRow("no digits") << ""
                                   << "番号なし"
                                   << "";
        QTest::newRow("withheld") << "P"
                                  << "番号なし"
                                  << "P";
        QTest::newRow("not in the plan") << "117"
                                         << ""
                                         << "117";
    }

    void namesThePlaceAndHyphens() {
        QFETCH(QString, number);
        QFETCH(QString, place);
        QFETCH(QString, shown);
        rules::NumberReader reader;
        QCOMPARE(reader.placeOf(number), place);
        QCOMPARE(reader.shownNumber(number), shown);
        // Read again from the kept reading, and without hyphens when the setting says so.
        QCOMPARE(reader.placeOf(number), place);
        reader.setHyphens(false);
        QCOMPARE(reader.shownNumber(number), number);
    }

    void findsNumbersByPlace() {
        const rules::NumberReader reader;
        const QStringList numbers{"0312345678", "0662345678", "0663456789", "09012345678",
                                  "01016502530000"};
        QCOMPARE(reader.numbersAt(QStringLiteral("大阪"), numbers),
                 (QStringList{"0662345678", "0663456789"}));
        QCOMPARE(reader.numbersAt(QStringLiteral("携帯"), numbers), QStringList{"09012345678"});
        QCOMPARE(reader.numbersAt(QStringLiteral("国際"), numbers), QStringList{"01016502530000"});
        QCOMPARE(reader.numbersAt(QStringLiteral("名古屋"), numbers), QStringList());
        QCOMPARE(reader.numbersAt(QStringLiteral(" "), numbers), QStringList());
    }

    void oneNumberHoweverWritten() {
        const QString key = rules::numberKey(QStringLiteral("0312345678"));
        QCOMPARE(key, QStringLiteral("+81312345678"));
        for (const char* written : {"+81 3-1234-5678", "03(1234)5678", "03-1234-5678",
                                    "０３－１２３４－５６７８", "010 81 3 1234 5678"}) {
            QCOMPARE(rules::numberKey(QString::fromUtf8(written)), key);
        }
        QVERIFY(rules::numberKey(QStringLiteral("0312345679")) != key);
        QVERIFY(rules::numberKey(QStringLiteral("0312345678*3")) != key);
        QCOMPARE(rules::numberKey(QStringLiteral("+1 650-253-0000")),
                 rules::numberKey(QStringLiteral("01016502530000")));
        QCOMPARE(rules::numberKey(QStringLiteral("-")), QString());

        // The archive and the phone book hold numbers as dialled from Japan.
        QCOMPARE(rules::domesticNumber(QStringLiteral("+81 3-1234-5678")),
                 QStringLiteral("03-1234-5678"));
        QCOMPARE(rules::domesticNumber(QStringLiteral("+1 650-253-0000")),
                 QStringLiteral("010-1-650-253-0000"));
        QCOMPARE(rules::domesticNumber(QStringLiteral("+81 3")), QStringLiteral("+81 3"));
        QCOMPARE(rules::archiveDigits(QStringLiteral("+81 3-1234-5678")),
                 QStringLiteral("0312345678"));
        QCOMPARE(rules::archiveDigits(QStringLiteral("+1 650-253-0000")),
                 QStringLiteral("01016502530000"));
        QCOMPARE(rules::archiveDigits(QStringLiteral("03(1234)5678")),
                 QStringLiteral("0312345678"));
        QCOMPARE(rules::archiveDigits(QStringLiteral("3123")), QStringLiteral("3123"));
    }
};

QTEST_GUILESS_MAIN(NumberReaderTest)
#include "numberreader_test.moc"
