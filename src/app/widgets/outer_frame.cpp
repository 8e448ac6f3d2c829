#include "widgets/outer_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <utility>

OuterFrame::OuterFrame(QWidget* window) : QObject(window), window_(window) {
  window->installEventFilter(this);
}

QRect OuterFrame::FittedToScreen(QRect outer) {
  outer.setSize(outer.size().expandedTo(QSize(1, 1)));
  const QScreen* screen = QGuiApplication::screenAt(outer.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return outer;
  const QRect desktop = screen->availableGeometry();
  outer.setSize(outer.size().boundedTo(desktop.size()));
  outer.moveLeft(qBound(desktop.left(), outer.left(), desktop.right() + 1 - outer.width()));
  outer.moveTop(qBound(desktop.top(), outer.top(), desktop.bottom() + 1 - outer.height()));
  return outer;
}

void OuterFrame::Apply(QRect outer) {
  outer = FittedToScreen(outer);
  pending_.reset();
  if (!FrameKnown()) pending_ = outer;
  window_->setGeometry(outer.marginsRemoved(margins_));
}

QRect OuterFrame::Current() const {
  return window_->frameGeometry();
}

bool OuterFrame::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == window_ && pending_ &&
      (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) && FrameKnown())
    window_->setGeometry(std::exchange(pending_, std::nullopt)->marginsRemoved(margins_));
  return QObject::eventFilter(watched, event);
}

bool OuterFrame::FrameKnown() {
  const QRect frame = window_->frameGeometry();
  const QRect client = window_->geometry();
  if (!window_->isVisible() || frame == client) return false;
  margins_ = QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                      frame.bottom() - client.bottom());
  return true;
}
