#include <QRadioButton>
#include <QTest>

#include "windows/optiongroup.h"

class OptionGroupTest : public QObject {
    Q_OBJECT
private slots:
    void radioGroupIndexRules_data() {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("selected");
        QTest::newRow("inside") << 1 << 1;
        QTest::newRow("beyond the last") << 7 << 3;
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("below none") << -5 << -1;
    }

    void radioGroupIndexRules() {
        QFETCH(int, asked);
        QFETCH(int, selected);
        OptionGroup group(QStringLiteral("g"), nullptr);
        group.setItems({"a", "b", "c", "d"});
        group.setItemIndex(2);
        group.setItemIndex(asked);
        QCOMPARE(group.ItemIndex(), selected);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(group.button(i)->isChecked(), i == selected);
        }
    }

    void radioGroupClickRunsOnClickOnly() {
        OptionGroup group(QStringLiteral("g"), nullptr);
        int clicks = 0;
        group.OnClick = [&] { ++clicks; };
        group.setItems({"a", "b"});
        group.setItemIndex(0);
        QCOMPARE(clicks, 0);
        group.button(1)->click();
        QCOMPARE(clicks, 1);
        QCOMPARE(group.ItemIndex(), 1);
        group.clearItems();
        QCOMPARE(group.ItemIndex(), -1);
        group.setItemIndex(0);
        QCOMPARE(group.ItemIndex(), -1);
    }
};

QTEST_MAIN(OptionGroupTest)
#include "optiongroup_test.moc"
