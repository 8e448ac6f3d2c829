#pragma once

#include <QPainter>
#include <QWidget>

#include "widgets/pictures.h"

// Status panel 0: the link image, drawn at the panel's top-left corner.
class LinkPanel : public QWidget {
 public:
  explicit LinkPanel(QWidget* parent) : QWidget(parent) { setFixedSize(30, 18); }
  void SetImage(int index) {
    image_ = index;
    update();
  }
  int Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const auto& images = Pictures::LinkImages();
    if (image_ >= 0 && image_ < images.size()) p.drawPixmap(2, 1, images[image_]);
  }

 private:
  int image_ = 1;
};
