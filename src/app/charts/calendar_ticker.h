#pragma once

#include <qcustomplot.h>

#include "series/calendar_ticks.h"

// Date-time ticks on the local calendar, as many as fit the axis with their labels. The labels use
// the chart's picture, made finer when a zoom puts ticks closer than the picture can tell apart.
class CalendarTicker : public QCPAxisTicker {
 public:
  explicit CalendarTicker(QCPAxis* axis) : axis_(axis) {}
  void SetPicture(const QString& picture) { base_ = picture; }

 protected:
  double getTickStep(const QCPRange& range) override;
  int getSubTickCount(double) override;
  QVector<double> createTickVector(double, const QCPRange& range) override;
  QString getTickLabel(double tick, const QLocale&, QChar, int) override;

 private:
  int LabelsThatFit(const QString& picture) const;

  QCPAxis* axis_;
  QString base_ = QStringLiteral("d.M.yyyy");
  CalendarStep step_;
  QString picture_ = base_;
};
