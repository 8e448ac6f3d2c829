#pragma once
// Places a top-level window by its outer frame (the rectangle the user sees, title bar and borders
// included) within the screen's available area. The window manager tells the frame only once the
// window is shown, so a rectangle applied before that is applied again when the frame is known.
#include <QMargins>
#include <QObject>
#include <QRect>
#include <optional>

class QWidget;

class OuterFrame : public QObject {
 public:
  explicit OuterFrame(QWidget* window);

  // Moves and sizes the window so that its frame is `outer`, made to fit the available area.
  void Apply(QRect outer);
  QRect Current() const;

  // `outer` shrunk to the available area of the screen under it and moved inside it.
  static QRect FittedToScreen(QRect outer);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool FrameKnown();  // shown and framed; margins_ updated

  QWidget* window_;
  QMargins margins_;  // the window manager's frame, as last seen
  std::optional<QRect> pending_;
};
