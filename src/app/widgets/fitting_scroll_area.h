#pragma once
// A scroll area as large as its content, up to a limit: a fixed-size dialog built around it keeps
// its designed size where the screen has room and scrolls inside where it has not.
#include <QScrollArea>

class FittingScrollArea : public QScrollArea {
 public:
  explicit FittingScrollArea(QWidget* content, QWidget* parent = nullptr);

  // Sets the limit so that the whole window, frame included, fits the available area of its screen,
  // and places the window in the middle of that area.
  void FitWindowToScreen();

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 private:
  QSize limit_;
};
