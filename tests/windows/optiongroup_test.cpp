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
        group.setSelectedIndex(2);
        group.setSelectedIndex(asked);
        QCOMPARE(group.selectedIndex(), selected);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(group.button(i)->isChecked(), i == selected);
        }
    }

    void radioGroupClickRunsOnClickOnly() {
        OptionGroup group(QStringLiteral("g"), nullptr);
        int clicks = 0;
        group.onChosen = [&] { ++clicks; };
        group.setItems({"a", "b"});
        group.setSelectedIndex(0);
        QCOMPARE(clicks, 0);
        group.button(1)->click();
        QCOMPARE(clicks, 1);
        QCOMPARE(group.selectedIndex(), 1);
        group.clearItems();
        QCOMPARE(group.selectedIndex(), -1);
        group.setSelectedIndex(0);
        QCOMPARE(group.selectedIndex(), -1);
    }
};

QTEST_MAIN(OptionGroupTest)
#include "optiongroup_test.moc"
