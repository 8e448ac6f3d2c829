#include "widgets/fitting_scroll_area.h"

#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include "widgets/outer_frame.h"

namespace {
constexpr int kUnlimited = QWIDGETSIZE_MAX;

// The window manager's frame; before the window is framed, a title bar and thin borders.
QSize FrameExtent(const QWidget* window) {
  const QSize framed = window->frameGeometry().size() - window->geometry().size();
  if (window->isVisible() && !framed.isNull()) return framed;
  const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  return QSize(8, title + 8);
}
}  // namespace

FittingScrollArea::FittingScrollArea(QWidget* content, QWidget* parent)
    : QScrollArea(parent), limit_(kUnlimited, kUnlimited) {
  setWidget(content);
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
}

QSize FittingScrollArea::sizeHint() const {
  const QSize content = widget() ? widget()->sizeHint() : QSize();
  QSize hint = content;
  // A scrolled direction takes the other one's scroll bar.
  if (content.height() > limit_.height()) hint.rwidth() += verticalScrollBar()->sizeHint().width();
  if (content.width() > limit_.width()) hint.rheight() += horizontalScrollBar()->sizeHint().height();
  return hint.boundedTo(limit_);
}

void FittingScrollArea::FitWindowToScreen() {
  QWidget* w = window();
  const QScreen* screen = w->screen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  limit_ = QSize(kUnlimited, kUnlimited);
  updateGeometry();
  if (w->layout()) w->layout()->activate();
  const QSize whole = w->sizeHint() + FrameExtent(w);
  const QSize over = (whole - available.size()).expandedTo(QSize(0, 0));
  if (!over.isNull()) {
    limit_ = (sizeHint() - over).expandedTo(QSize(80, 80));
    updateGeometry();
    if (w->layout()) w->layout()->activate();
  }
  const QSize outer = w->size() + FrameExtent(w);
  QRect centred(QPoint(), outer);
  centred.moveCenter(available.center());
  w->move(OuterFrame::FittedToScreen(centred).topLeft());
}
