#include <QTest>
#include <cstring>
#include <vector>

#include "adapter/receivebuffer.h"
#include "protocol/chargereply.h"

namespace {

// The receive buffer after a reply: the reply from position 0, zeros behind it.
std::vector<uint8_t> rxBuffer(const QByteArray& reply) {
    std::vector<uint8_t> buffer(adapter::ReceiveBuffer::Size, 0);
    std::memcpy(buffer.data(), reply.constData(), static_cast<size_t>(reply.size()));
    return buffer;
}

}  // namespace

class ChargeReplyTest : public QObject {
    Q_OBJECT
private slots:
    void chargeReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("tel1");
        QTest::addColumn<QByteArray>("tel2");
        QTest::addColumn<QByteArray>("digital");
        QTest::newRow("cut at carriage return")
            << QByteArray("N6=  1234\rN7=  560\rN5=  0\r") << QByteArray("1234")
            << QByteArray("560") << QByteArray("0");
        QTest::newRow("ten characters without carriage return")
            << QByteArray("N6 = 1234567890123") << QByteArray("1234567890") << QByteArray()
            << QByteArray();
        QTest::newRow("spaces kept")
            << QByteArray("N7:    12 \r") << QByteArray() << QByteArray("  12 ") << QByteArray();
        QTest::newRow("no reply") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("later tag replaces earlier")
            << QByteArray("N5 = 1\r\nN5 = 22\r\n") << QByteArray() << QByteArray()
            << QByteArray("22");
        QTest::newRow("value field reaches into the next tag")
            << QByteArray("N6 = 12N7 = 3\r") << QByteArray("12N7 = 3") << QByteArray("3")
            << QByteArray();
        QTest::newRow("other tags ignored") << QByteArray("N4 = 9\rN8 = 9\rn6 = 9\r")
                                            << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("reply ends inside the field")
            << QByteArray("OK\r\nN6 = 12") << QByteArray("12") << QByteArray() << QByteArray();
        QTest::newRow("tag without room for a value")
            << QByteArray("N6") << QByteArray() << QByteArray() << QByteArray();
    }

    void chargeReply() {
        QFETCH(QByteArray, reply);
        const std::vector<uint8_t> buffer = rxBuffer(reply);
        const protocol::ChargeAmounts a = protocol::parseChargeReply(buffer.data(), buffer.size());
        QTEST(a.tel1, "tel1");
        QTEST(a.tel2, "tel2");
        QTEST(a.digital, "digital");
    }

    void chargeTagsOnlyUpToPosition255() {
        // Position p counts from 1: a tag at 255 is read, one at 256 is not.
        const QByteArray at255 = QByteArray(254, ' ') + "N6 = 77\r";
        const QByteArray at256 = QByteArray(255, ' ') + "N6 = 77\r";
        std::vector<uint8_t> buffer = rxBuffer(at255);
        QCOMPARE(protocol::parseChargeReply(buffer.data(), buffer.size()).tel1, QByteArray("77"));
        buffer = rxBuffer(at256);
        QCOMPARE(protocol::parseChargeReply(buffer.data(), buffer.size()).tel1, QByteArray());
    }

    void chargeTextStopsAtNul() {
        // Bytes of an older, longer reply behind the NUL are not part of the text.
        std::vector<uint8_t> buffer = rxBuffer(QByteArray("N6 = 5\r"));
        const QByteArray old = "N7 = 99\r";
        std::memcpy(buffer.data() + 20, old.constData(), static_cast<size_t>(old.size()));
        QCOMPARE(protocol::parseChargeReply(buffer.data(), buffer.size()).tel2, QByteArray());
        // A buffer full to its last byte has no NUL at all and is read to its end.
        std::vector<uint8_t> full(adapter::ReceiveBuffer::Size, 'x');
        std::memcpy(full.data(), "N5 = 1\r", 7);
        QCOMPARE(protocol::parseChargeReply(full.data(), full.size()).digital, QByteArray("1"));
    }
};

QTEST_MAIN(ChargeReplyTest)
#include "chargereply_test.moc"
