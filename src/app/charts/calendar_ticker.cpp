#include "charts/calendar_ticker.h"

#include "charts/chart_view.h"

double CalendarTicker::getTickStep(const QCPRange& range) {
  widthUsed_ = axis_->axisRect()->width();
  const double span = range.size();
  step_ = ChooseCalendarStep(span, LabelsThatFit(base_));
  step_ = ChooseCalendarStep(span, LabelsThatFit(TickPicture(base_, step_)));
  picture_ = TickPicture(base_, step_);
  return step_.Seconds();
}

int CalendarTicker::getSubTickCount(double) {
  if (step_.unit == CalendarStep::Unit::Month) return 0;  // months differ in length
  if (step_.unit == CalendarStep::Unit::Week) return 6;
  switch (step_.count) {
    case 2:
    case 10:
    case 20:
      return 1;
    case 3:
    case 15:
    case 30:
      return 2;
    case 5:
    case 50:
      return 4;
    case 6:
      return 5;
    default:
      return 3;
  }
}

QVector<double> CalendarTicker::createTickVector(double, const QCPRange& range) {
  return CalendarTicks(range.lower, range.upper, step_, QTimeZone::systemTimeZone());
}

QString CalendarTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
  return ChartView::FromKey(tick).toString(picture_);
}

double CalendarTicker::LabelsThatFit(const QString& picture) const {
  const QFontMetrics metrics(axis_->tickLabelFont());
  const QString widest = QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)).toString(picture);
  const int room = metrics.horizontalAdvance(widest) + 2 * metrics.horizontalAdvance(QLatin1Char('M'));
  return qMax(3.0, double(axis_->axisRect()->width()) / qMax(1, room));  // two labels inside even when cramped
}
