#include "windows/optiongroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

OptionGroup::OptionGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    layout_->setContentsMargins(8, 2, 8, 4);
    layout_->setVerticalSpacing(0);
    connect(group_, &QButtonGroup::idClicked, this, &OptionGroup::buttonClicked);
}

void OptionGroup::setColumns(int columns) {
    columns_ = columns < 1 ? 1 : columns;
    arrange();
}

void OptionGroup::setItems(const QStringList& items) {
    clearItems();
    for (const QString& item : items) {
        addItem(item);
    }
}

void OptionGroup::clearItems() {
    for (QRadioButton* b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    selectedIndex_ = -1;
}

void OptionGroup::addItem(const QString& item) {
    auto* b = new QRadioButton(item, this);
    group_->addButton(b, static_cast<int>(buttons_.size()));
    buttons_.append(b);
    arrange();
}

QStringList OptionGroup::items() const {
    QStringList texts;
    for (const QRadioButton* b : buttons_) {
        texts << b->text();
    }
    return texts;
}

void OptionGroup::setSelectedIndex(int index) {
    const int last = static_cast<int>(buttons_.size()) - 1;
    if (index > last) {
        index = last;
    }
    if (index < -1) {
        index = -1;
    }
    selectedIndex_ = index;
    // An exclusive group cannot have its checked button unchecked, so clear it as a free group.
    group_->setExclusive(false);
    for (int i = 0; i <= last; ++i) {
        buttons_[i]->setChecked(i == index);
    }
    group_->setExclusive(true);
}

void OptionGroup::arrange() {
    const int count = static_cast<int>(buttons_.size());
    const int perColumn = count == 0 ? 1 : (count + columns_ - 1) / columns_;
    for (int i = 0; i < count; ++i) {
        layout_->removeWidget(buttons_[i]);
        layout_->addWidget(buttons_[i], i % perColumn, i / perColumn);
    }
}

void OptionGroup::buttonClicked(int index) {
    selectedIndex_ = index;
    if (onChosen) {
        onChosen();
    }
}
