#include <QtTest>
#include <array>
#include <optional>

#include "protocol/dialreply.h"

namespace {

using protocol::ReplyAction;

// A receive buffer as the program keeps it: the bytes from position 0, NUL after them.
std::array<uint8_t, 4001> bufferOf(const QByteArray& bytes) {
    std::array<uint8_t, 4001> buffer{};
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return buffer;
}

protocol::DialReply match(const QByteArray& bytes, int rxIndex, int line = 1) {
    const auto buffer = bufferOf(bytes);
    return protocol::matchDialReply(buffer.data(), buffer.size(), rxIndex, line);
}

}  // namespace

Q_DECLARE_METATYPE(ReplyAction)

class DialReplyTest : public QObject {
    Q_OBJECT

private slots:
    void resultRows_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("row");
        QTest::addColumn<ReplyAction>("action");
        QTest::addColumn<bool>("hasText");
        QTest::addColumn<QString>("text");
        const auto add = [](const char* name, const QByteArray& reply, int line, int row,
                            ReplyAction action, std::optional<QString> text) {
            QTest::newRow(name) << reply << line << row << action << text.has_value()
                                << text.value_or(QString());
        };
        add("connected", "AC\r\n", 1, 1, ReplyAction::Connected, QStringLiteral("00:00"));
        add("delayed", "DELAYED\r\n", 1, 2, ReplyAction::Cleared, QStringLiteral("DELAYED"));
        add("busy", "ASTS 1 17\r\n", 1, 3, ReplyAction::Cleared, QStringLiteral("相手側話中"));
        add("busy on line 2", "ASTS 2 17\r\n", 2, 3, ReplyAction::Cleared,
            QStringLiteral("相手側話中"));
        add("cause 170 reads as 17", "ASTS 1 170\r\n", 1, 3, ReplyAction::Cleared,
            QStringLiteral("相手側話中"));
        add("no circuit", "ASTS 1 34\r\n", 1, 4, ReplyAction::Cleared,
            QStringLiteral("回線使用中"));
        add("normal clearing", "ASTS 1 16\r\n", 1, 5, ReplyAction::Cleared, std::nullopt);
        add("cause 0", "ASTS 1 0\r\n", 1, 6, ReplyAction::Cleared, std::nullopt);
        add("invalid number", "ASTS 1 28\r\n", 1, 7, ReplyAction::Cleared,
            QStringLiteral("番号不一致"));
        add("not connected", "ASTS 1 129\r\n", 1, 8, ReplyAction::Cleared,
            QStringLiteral("回線未接続"));
        add("in use", "ASTS 1 131\r\n", 1, 9, ReplyAction::Cleared, QStringLiteral("回線利用中"));
        add("other cause", "ASTS 1 44\r\nOK", 1, 10, ReplyAction::ClearedRaw,
            QStringLiteral("ASTS 1 44\r"));
        add("cause 1 reads as row 10, not 16", "ASTS 1 1\r\n", 1, 10, ReplyAction::ClearedRaw,
            QStringLiteral("ASTS 1 1\r\n"));
        add("busy on the other line", "ASTS 2 17\r\n", 1, 11, ReplyAction::ClearedRaw,
            QStringLiteral("ASTS 2 17\r"));
        add("error", "ERR\r\n", 1, 11, ReplyAction::ClearedRaw, QStringLiteral("ERR\r\n"));
        add("cause 34 on line 2 is not ours on line 1", "ASTS 2 34\r\n", 1, 11,
            ReplyAction::ClearedRaw, QStringLiteral("ASTS 2 34\r"));
        add("after an echo", "OK\r\nASTS 1 28\r\n", 1, 7, ReplyAction::Cleared,
            QStringLiteral("番号不一致"));
        add("raw text cut at the end of the text", "xERR", 1, 11, ReplyAction::ClearedRaw,
            QStringLiteral("ERR"));
        add("nothing known", "OK\r\n", 1, 0, ReplyAction::None, std::nullopt);
        add("a partial code", "AST", 1, 0, ReplyAction::None, std::nullopt);
    }

    void resultRows() {
        QFETCH(QByteArray, reply);
        QFETCH(int, line);
        QFETCH(int, row);
        QFETCH(ReplyAction, action);
        QFETCH(bool, hasText);
        QFETCH(QString, text);
        const protocol::DialReply r = match(reply, static_cast<int>(reply.size()), line);
        QCOMPARE(r.row, row);
        QCOMPARE(r.action, action);
        QCOMPARE(r.panelText.has_value(), hasText);
        if (hasText) {
            QCOMPARE(*r.panelText, text);
        }
    }

    // The scan starts at the positions up to RxIndex only, but a comparison reads on past it
    // into whatever an older reply left there, up to the first NUL.
    void startPositionsAndLeftovers_data() {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("rxIndex");
        QTest::addColumn<int>("row");
        QTest::newRow("code past RxIndex is not a start")
            << QByteArray("OK\r\nASTS 1 17") << 4 << 0;
        QTest::newRow("code starting at RxIndex") << QByteArray("OK\r\nASTS 1 17") << 5 << 3;
        QTest::newRow("new bytes completed by old ones") << QByteArray("ASTS 1 34\r\n") << 4 << 4;
        QTest::newRow("position 1 even when RxIndex is 0") << QByteArray("AC\r\n") << 0 << 1;
        QTest::newRow("text ends at the first NUL") << QByteArray("ASTS\0 1 17", 10) << 10 << 11;
        QTest::newRow("empty buffer") << QByteArray() << 0 << 0;
    }

    void startPositionsAndLeftovers() {
        QFETCH(QByteArray, buffer);
        QFETCH(int, rxIndex);
        QFETCH(int, row);
        QCOMPARE(match(buffer, rxIndex).row, row);
    }

    // The first row that matches at the earliest position wins, whatever comes later.
    void earliestPositionWins() {
        const protocol::DialReply r = match("ERR\r\nAC\r\n", 9);
        QCOMPARE(r.row, 11);
        QCOMPARE(*r.panelText, QStringLiteral("ERR\r\nAC\r\n"));
        QCOMPARE(match("ASTS 1 129 AC", 13).row, 8);
    }

    void aBufferWithoutNul() {
        std::array<uint8_t, 4001> buffer;
        buffer.fill('x');
        std::copy_n("ASTS 1 16", 9, buffer.end() - 9);
        QCOMPARE(protocol::matchDialReply(buffer.data(), buffer.size(), 3992, 1).row, 0);
        QCOMPARE(protocol::matchDialReply(buffer.data(), buffer.size(), 3993, 1).row, 5);
    }

    void elapsedText_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("5 s") << 5 << QStringLiteral("00:05");
        QTest::newRow("65 s") << 65 << QStringLiteral("01:05");
        QTest::newRow("754 s") << 754 << QStringLiteral("12:34");
        QTest::newRow("99 min 59 s") << 5999 << QStringLiteral("99:59");
        QTest::newRow("100 min") << 6000 << QStringLiteral("100:00");
    }

    void elapsedText() {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(protocol::elapsedText(seconds), text);
    }
};

QTEST_GUILESS_MAIN(DialReplyTest)
#include "dialreply_test.moc"
