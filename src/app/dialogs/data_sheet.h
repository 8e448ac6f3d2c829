#pragma once

#include <QPixmap>
#include <QWidget>

class QScrollArea;

// Draws the data sheet picture scaled with its proportions kept, centred.
class DataSheetImage : public QWidget {
 public:
  explicit DataSheetImage(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap picture_;
};

// The stored data sheet picture of the station (600 x 855).
QPixmap DataSheetPicture();

// A non-modal window with the data sheet. Smaller than when shown, it keeps the picture at the
// shown size and scrolls; larger, the picture grows with it.
class TfrmDataSheet : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmDataSheet(QWidget* parent = nullptr);
  QSize ReferenceSize() const { return reference_; }
  QWidget* Image() const { return image_; }
  QSize ClientSize() const;

  void FormShow();
  void FormResize();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QScrollArea* scroll_;
  DataSheetImage* image_;
  QSize reference_;
};
