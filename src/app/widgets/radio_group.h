#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

// A framed group of radio buttons with a caption, items by index and one selected index.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  explicit RadioGroup(QWidget* parent = nullptr);

  void SetItems(const QStringList& items);
  int ItemCount() const;
  QString Item(int index) const;
  void SetItem(int index, const QString& text);
  int ItemIndex() const;
  void SetItemIndex(int index);

 signals:
  void Clicked(int index);  // a user's choice

 private:
  QButtonGroup group_;
};
