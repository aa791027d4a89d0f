#include <QTest>

#include "rules/password.h"

class PasswordTest : public QObject {
    Q_OBJECT
private slots:
    void passwordText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("code");
        QTest::newRow("leading zeros") << "0012" << true << 12 << 13;
        QTest::newRow("wraps at 255") << "267" << true << 267 << 13;
        QTest::newRow("zero") << "0" << true << 0 << 1;
        QTest::newRow("255 shares 0's code") << "255" << true << 255 << 1;
        QTest::newRow("minus one is no password") << "-1" << true << -1 << 0;
        QTest::newRow("negative keeps its sign") << "-254" << true << -254 << -253;
        QTest::newRow("empty") << "" << false << 0 << 0;
        QTest::newRow("letters") << "12a" << false << 0 << 0;
        QTest::newRow("sign only") << "-" << false << 0 << 0;
        QTest::newRow("five characters") << "12345" << false << 0 << 0;
        QTest::newRow("full-width digits") << "１２" << false << 0 << 0;
    }

    void passwordText() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<int32_t> number = rules::passwordNumber(text);
        QCOMPARE(number.has_value(), valid);
        if (valid) {
            QTEST(*number, "number");
            QTEST(rules::passwordCodeOf(*number), "code");
        }
    }
};

QTEST_MAIN(PasswordTest)
#include "password_test.moc"
