#include "widgets/radio_group.h"

#include <QHBoxLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {
  new QHBoxLayout(this);
  layout()->setContentsMargins(8, 2, 8, 4);
  connect(&group_, &QButtonGroup::idClicked, this, &RadioGroup::Clicked);
}

void RadioGroup::SetItems(const QStringList& items) {
  for (QAbstractButton* b : group_.buttons()) {
    group_.removeButton(b);
    delete b;
  }
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    group_.addButton(button, i);
    layout()->addWidget(button);
  }
}

int RadioGroup::ItemCount() const {
  return int(group_.buttons().size());
}

QString RadioGroup::Item(int index) const {
  QAbstractButton* b = group_.button(index);
  return b ? b->text() : QString();
}

void RadioGroup::SetItem(int index, const QString& text) {
  if (QAbstractButton* b = group_.button(index)) b->setText(text);
}

int RadioGroup::ItemIndex() const {
  return group_.checkedId();
}

void RadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* b = group_.button(index)) {
    b->setChecked(true);
  } else if (QAbstractButton* checked = group_.checkedButton()) {
    group_.setExclusive(false);
    checked->setChecked(false);
    group_.setExclusive(true);
  }
}
