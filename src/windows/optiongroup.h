#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>
#include <functional>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

// A framed group of radio buttons chosen by index, laid out in columns filled top to bottom.
// An index beyond the last item selects the last item; one below -1 selects nothing (-1).
class OptionGroup : public QGroupBox {
    Q_OBJECT
public:
    OptionGroup(const QString& caption, QWidget* parent);

    void setColumns(int columns);
    void setItems(const QStringList& items);
    void clearItems();
    void addItem(const QString& item);
    QStringList items() const;
    QRadioButton* button(int index) const { return buttons_.value(index); }

    int selectedIndex() const { return selectedIndex_; }
    void setSelectedIndex(int index);

    // Runs when the user picks an item, not when the program selects one.
    std::function<void()> onChosen;

private:
    void arrange();
    void buttonClicked(int index);

    QButtonGroup* group_;
    QGridLayout* layout_;
    QList<QRadioButton*> buttons_;
    int columns_ = 1;
    int selectedIndex_ = -1;
};
