#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include "windows/readingcapture.h"

namespace {

void preedit(QWidget* w, const QString& text) {
    QInputMethodEvent e(text, {});
    QCoreApplication::sendEvent(w, &e);
}

void commit(QWidget* w, const QString& text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

class ReadingCaptureTest : public QObject {
    Q_OBJECT
private slots:
    // Each row: the preedit texts of one composition, its commit ("" cancels), the readings
    // reported.
    void readings_data() {
        QTest::addColumn<QStringList>("preedits");
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("kana then kanji") << QStringList{"や", "やま", "やまd", "やまだ", "山田"}
                                         << "山田" << QStringList{"やまだ"};
        // Typed in katakana: the reading stays katakana, a pending n included.
        QTest::newRow("katakana kept")
            << QStringList{"ｋ", "ケ", "ケｎ"} << "ケン" << QStringList{"ケン"};
        // What a real input method sends: the romaji n is still pending in the last kana preedit.
        QTest::newRow("ken") << QStringList{"ｋ", "け", "けｎ", "県"} << "県"
                             << QStringList{"けん"};
        QTest::newRow("jun") << QStringList{"ｊ", "じゅ", "じゅn", "純"} << "純"
                             << QStringList{"じゅん"};
        QTest::newRow("suzukiken") << QStringList{"ｓ",       "す",       "すず",       "すずき",
                                                  "すずきｋ", "すずきけ", "すずきけｎ", "鈴木健"}
                                   << "鈴木健" << QStringList{"すずきけん"};
        // A katakana candidate does not replace the reading typed in hiragana.
        QTest::newRow("tesuto") << QStringList{"ｔ", "て", "てす", "てすと", "テスト"} << "テスト"
                                << QStringList{"てすと"};
        QTest::newRow("prolonged sound")
            << QStringList{"らー", "らーめｎ", "ラーメン"} << "ラーメン" << QStringList{"らーめん"};
        QTest::newRow("half-width kana")
            << QStringList{"ﾔﾏﾀﾞ", "山田"} << "山田" << QStringList{"ﾔﾏﾀﾞ"};
        QTest::newRow("committed unconverted")
            << QStringList{"やまだ"} << "やまだ" << QStringList{"やまだ"};
        QTest::newRow("cancelled") << QStringList{"やまだ", "山田"} << "" << QStringList{};
        QTest::newRow("latin composition") << QStringList{"abc"} << "abc" << QStringList{};
        QTest::newRow("no input method") << QStringList{} << "山田" << QStringList{};
    }
    void readings() {
        QFETCH(QStringList, preedits);
        QFETCH(QString, committed);
        QFETCH(QStringList, expected);
        QLineEdit edit;
        ReadingCapture compo;
        compo.setControl(&edit);
        QStringList got;
        QString textWhenReported = QStringLiteral("unset");
        compo.onReading = [&](ReadingCapture& sender, const QString& value) {
            QCOMPARE(&sender, &compo);
            got << value;
            textWhenReported = edit.text();
        };
        for (const QString& p : preedits) {
            preedit(&edit, p);
        }
        if (committed.isEmpty()) {
            preedit(&edit, QString());
        } else {
            commit(&edit, committed);
        }
        QCOMPARE(got, expected);
        QCOMPARE(edit.text(), committed);
        if (!expected.isEmpty()) {
            // Reported before the control took the committed text in.
            QCOMPARE(textWhenReported, QString());
        }
    }

    void cancelledCompositionLeavesNothingForTheNext() {
        QLineEdit edit;
        ReadingCapture compo;
        compo.setControl(&edit);
        QStringList got;
        compo.onReading = [&](ReadingCapture&, const QString& v) { got << v; };
        preedit(&edit, QStringLiteral("すずき"));
        preedit(&edit, QString());
        commit(&edit, QStringLiteral("x"));
        preedit(&edit, QStringLiteral("はなこ"));
        preedit(&edit, QStringLiteral("花子"));
        commit(&edit, QStringLiteral("花子"));
        QCOMPARE(got, QStringList{QStringLiteral("はなこ")});
    }

    void controlChangesAndDestruction() {
        QLineEdit first;
        auto* second = new QLineEdit;
        ReadingCapture compo;
        QStringList got;
        compo.onReading = [&](ReadingCapture&, const QString& v) { got << v; };
        compo.setControl(&first);
        compo.setControl(second);
        preedit(&first, QStringLiteral("いち"));
        commit(&first, QStringLiteral("一"));
        QVERIFY(got.isEmpty());
        preedit(second, QStringLiteral("に"));
        commit(second, QStringLiteral("二"));
        QCOMPARE(got, QStringList{QStringLiteral("に")});
        delete second;
        QCOMPARE(compo.control(), nullptr);
    }
};

QTEST_MAIN(ReadingCaptureTest)
#include "readingcapture_test.moc"
