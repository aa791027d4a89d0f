#include "settings/tradiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    layout_->setContentsMargins(8, 2, 8, 4);
    layout_->setVerticalSpacing(0);
    connect(group_, &QButtonGroup::idClicked, this, &TRadioGroup::buttonClicked);
}

void TRadioGroup::setColumns(int columns) {
    columns_ = columns < 1 ? 1 : columns;
    arrange();
}

void TRadioGroup::setItems(const QStringList& items) {
    clearItems();
    for (const QString& item : items) {
        addItem(item);
    }
}

void TRadioGroup::clearItems() {
    for (QRadioButton* b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    itemIndex_ = -1;
}

void TRadioGroup::addItem(const QString& item) {
    auto* b = new QRadioButton(item, this);
    group_->addButton(b, static_cast<int>(buttons_.size()));
    buttons_.append(b);
    arrange();
}

QStringList TRadioGroup::items() const {
    QStringList texts;
    for (const QRadioButton* b : buttons_) {
        texts << b->text();
    }
    return texts;
}

void TRadioGroup::setItemIndex(int index) {
    const int last = static_cast<int>(buttons_.size()) - 1;
    if (index > last) {
        index = last;
    }
    if (index < -1) {
        index = -1;
    }
    itemIndex_ = index;
    // An exclusive group cannot have its checked button unchecked, so clear it as a free group.
    group_->setExclusive(false);
    for (int i = 0; i <= last; ++i) {
        buttons_[i]->setChecked(i == index);
    }
    group_->setExclusive(true);
}

void TRadioGroup::arrange() {
    const int count = static_cast<int>(buttons_.size());
    const int perColumn = count == 0 ? 1 : (count + columns_ - 1) / columns_;
    for (int i = 0; i < count; ++i) {
        layout_->removeWidget(buttons_[i]);
        layout_->addWidget(buttons_[i], i % perColumn, i / perColumn);
    }
}

void TRadioGroup::buttonClicked(int index) {
    itemIndex_ = index;
    if (OnClick) {
        OnClick();
    }
}
