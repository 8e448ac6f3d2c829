#pragma once

#include <qcustomplot.h>

#include "series/calendar_ticks.h"

// Date-time ticks on the local calendar, as many as fit the axis with their labels. The labels use
// the chart's picture, made finer when a zoom puts ticks closer than the picture can tell apart.
class CalendarTicker : public QCPAxisTicker {
 public:
  explicit CalendarTicker(QCPAxis* axis) : axis_(axis) {}
  void SetPicture(const QString& picture) { base_ = picture; }
  // The ticks were chosen for another width than the axis has now: a plot lays itself out after it
  // has taken its ticks, so a resized plot needs one more redraw.
  bool ForOtherWidth() const { return widthUsed_ != axis_->axisRect()->width(); }

 protected:
  double getTickStep(const QCPRange& range) override;
  int getSubTickCount(double) override;
  QVector<double> createTickVector(double, const QCPRange& range) override;
  QString getTickLabel(double tick, const QLocale&, QChar, int) override;

 private:
  double LabelsThatFit(const QString& picture) const;

  QCPAxis* axis_;
  QString base_ = QStringLiteral("d.M.yyyy");
  CalendarStep step_;
  QString picture_ = base_;
  int widthUsed_ = -1;
};
