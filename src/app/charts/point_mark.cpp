#include "charts/point_mark.h"

#include <QLocale>

#include "charts/chart_view.h"
#include "station/regional.h"

PointMark::PointMark(ChartView* chart, const QString& name) : QLabel(chart), chart_(chart) {
  setObjectName(name);
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::ToolTipBase);
  setForegroundRole(QPalette::ToolTipText);
  hide();
}

void PointMark::ShowPoint(ChartSeries* series, Qt::MouseButton button, const QPoint& pos) {
  if (button != Qt::LeftButton) return;
  const QPointF values = chart_->ValuesAt(series, pos);
  QLocale plain;
  plain.setNumberOptions(QLocale::OmitGroupSeparator);
  setText(QLatin1Char(' ') + Regional::DateTime(ChartView::FromKey(values.x())) + QStringLiteral(" - ") +
          plain.toString(values.y(), 'f', 2));
  adjustSize();
  move(pos.x(), pos.y() - height());
  show();
  raise();
}
