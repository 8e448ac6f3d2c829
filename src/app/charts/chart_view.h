#pragma once

#include <qcustomplot.h>

#include <QColor>
#include <QDateTime>
#include <QVector>
#include <QWidget>
#include <array>
#include <cmath>
#include <optional>

#include "io/io_status.h"
#include "series/compact_series.h"

class QCheckBox;
class QLabel;
class QPrinter;
class QVBoxLayout;
class DepthGraph;
class DepthBands;

// One series of a chart. Found by its component name (findChild<ChartSeries*>("Series5")).
class ChartSeries : public QObject {
  Q_OBJECT
 public:
  enum class Kind { Line, Bar };
  ChartSeries(const QString& name, Kind kind, QObject* parent) : QObject(parent), kind_(kind) {
    setObjectName(name);
  }
  Kind SeriesKind() const { return kind_; }

 private:
  friend class ChartView;
  Kind kind_;
  CompactSeries points_;  // of a line; its graph holds only the points being drawn
  DepthGraph* graph_ = nullptr;
  QCPBars* bars_ = nullptr;
  QCheckBox* legendBox_ = nullptr;
  bool active_ = true;
  bool ownAxis_ = false;  // on the right value axis, fitted to itself
  ChartSeries* companionOf_ = nullptr;  // a comparison line: drawn dashed in that series' band
  std::optional<double> perSecond_;  // integrated between the cursors: its volume per value-second
  QString integralCaption_;
  bool inLegend_ = true;
  QString title_;
  QColor colour_ = Qt::black;
  int lineWidth_ = 1;
};

// The chart component of the station over QCustomPlot: line series on a date-time axis (x in
// seconds since the epoch) or one bar series, a legend with a check box per series, a pseudo-3D
// view, a title, printing and bitmap export. Points never redraw synchronously: replots are queued.
class ChartView : public QWidget {
  Q_OBJECT
 public:
  explicit ChartView(QWidget* parent = nullptr);

  ChartSeries* AddSeries(const QString& name, ChartSeries::Kind kind);
  ChartSeries* Series(const QString& name) const;
  QList<ChartSeries*> AllSeries() const;

  void SetActive(ChartSeries* s, bool active);
  bool IsActive(const ChartSeries* s) const { return s->active_; }
  void SetTitle(ChartSeries* s, const QString& title);
  QString Title(const ChartSeries* s) const { return s->title_; }
  void SetShownInLegend(ChartSeries* s, bool shown);
  bool IsShownInLegend(const ChartSeries* s) const { return s->inLegend_; }
  void SetColour(ChartSeries* s, const QColor& colour);
  QColor Colour(const ChartSeries* s) const { return s->colour_; }
  void SetLineWidth(ChartSeries* s, int width);
  // The series gets the right value axis, labelled with its title and fitted to it alone (a running
  // total does not share the scale of a rate).
  void SetOwnValueAxis(ChartSeries* s);
  // An axis per quantity: each active line in a band of its own under the same time axis, its
  // value axis labelled with its title and fitted to it alone; a series with its own axis takes the
  // right axis of the first band. Off: every line on the one left axis.
  void SetBands(bool on);
  bool Bands() const { return bands_; }
  // The choice below the legend, hidden until a page offers it; ticking it sets the bands.
  QCheckBox* BandsBox() const { return bandsBox_; }
  // The axis rectangle a series is drawn in (the chart's only one without bands), and the title
  // shown in it (empty without bands).
  QCPAxisRect* BandOf(const ChartSeries* s) const;
  QString BandTitle(const QCPAxisRect* band) const;
  // `companion` becomes the comparison line of `s`: thin, dashed, in its colour and band, not in the
  // legend, shown while `s` is and the comparison is on.
  void SetCompanion(ChartSeries* s, ChartSeries* companion);
  void SetComparison(bool on);
  bool Comparison() const { return comparison_; }
  // A control of the page below the legend's series.
  void AddLegendWidget(QWidget* widget);
  // Two cursors (keys "1" and "2" over the chart, at the pointer): their times, Δt, and per visible
  // line its values at both, Δ, and its minimum, mean and maximum between them; a line given an
  // integral also the volume between them by the ledger's rule. Esc (through the window) clears.
  void PlaceCursor(int which, double key);  // which: 0 or 1
  void ClearCursors();
  bool HasCursors() const { return cursors_[0] || cursors_[1]; }
  QString CursorText() const;  // the box's text, plain
  void SetIntegral(ChartSeries* s, std::optional<double> perSecond, const QString& caption);
  // Lines break where two consecutive points are more than `seconds` apart (0: always joined).
  void SetGap(double seconds);
  int LineWidth(const ChartSeries* s) const { return s->lineWidth_; }

  // Points in ascending x. Bars take the next index as x.
  void AddPoint(ChartSeries* s, double x, double y);
  // Bulk points in ascending x.
  void AddPoints(ChartSeries* s, const QVector<QCPGraphData>& points);
  // The series' points, replaced at once (a line series).
  void SetPoints(ChartSeries* s, CompactSeries points);
  void Clear(ChartSeries* s);
  int PointCount(const ChartSeries* s) const;
  QVector<QPointF> Points(const ChartSeries* s) const;
  // Axis values of the series' axes at a widget position.
  QPointF ValuesAt(const ChartSeries* s, const QPoint& pos) const;

  void SetLegendVisible(bool visible);
  void SetAxesVisible(bool visible);
  void Set3D(bool on);
  bool Is3D() const { return view3D_; }
  void Set3DPercent(int percent);  // 1..100
  int Depth3DPercent() const { return percent3D_; }
  void SetChartTitle(const QString& title);
  QString ChartTitle() const;
  // A picture of d, M, yyyy, hh, mm ("hh:mm", "d.M hh:mm", "d.M.yyyy").
  void SetDateTimeFormat(const QString& picture);
  QString DateTimeFormat() const { return datePicture_; }
  void SetLeftAxisRange(double min, double max);
  QPair<double, double> LeftAxisRange() const;
  void RescaleToData();  // fit both axes to the points, with a margin and room for the 3D depth
  // Keep fitting the axes to the points at every redraw until the user pans or zooms; a double
  // click fits them again.
  void SetFollowData(bool follow);

  bool Print(QPrinter& printer);  // margins 2, 4, 2, 4 % of the page, stretched
  // The chart's picture as an image file of `format` ("BMP", "PNG"): written to a temporary file
  // renamed at the end, so a failure leaves nothing; the reason in `error`.
  IoStatus SaveImage(const QString& path, const char* format);
  // A vector PDF, one A4 landscape page: the plot with its title, and the legend beside it.
  IoStatus SavePdf(const QString& path);
  QPixmap Picture();

  void QueueReplot();
  // While held, points and attributes change without any redraw; releasing redraws once.
  void HoldRedraws(bool hold);
  QCustomPlot* Plot() const { return plot_; }
  // Off: every point of every line is drawn (the reference for the level of detail; benchmarks).
  void SetLevelOfDetail(bool on);

  static double ToKey(const QDateTime& at);
  static QDateTime FromKey(double key);

 signals:
  void SeriesClicked(ChartSeries* series, Qt::MouseButton button, const QPoint& pos);
  void MousePressed(Qt::MouseButton button, const QPoint& pos);
  void Clicked(const QPoint& pos);

 private:
  void UpdateDepth();
  void UpdateLegendBox(ChartSeries* s);
  void FitAxes();
  void UpdateOwnAxis();
  void LayOutBands();  // the bands for the series active now
  QCPAxis* OwnAxis() const;  // the right axis of the first band
  // The chart's own axis rectangle, at the bottom with the time axis (QCustomPlot::axisRect()
  // gives the topmost band).
  QCPAxisRect* TimeRect() const;
  double DepthPixels() const;

  QCustomPlot* plot_;
  QCPTextElement* title_ = nullptr;
  DepthBands* depthBands_ = nullptr;
  QWidget* legend_;
  QVBoxLayout* legendLayout_;
  QString datePicture_ = QStringLiteral("d.M.yyyy");
  bool view3D_ = false;
  int percent3D_ = 15;
  int barCount_ = 0;
  bool redrawsHeld_ = false;
  bool followData_ = false;
  bool bands_ = false;
  QList<QCPAxisRect*> extraBands_;  // above the chart's own axis rectangle, which keeps the time axis
  QCPMarginGroup* marginGroup_ = nullptr;
  QHash<QCPAxisRect*, QCPItemText*> bandLabels_;
  QCheckBox* bandsBox_;
  bool comparison_ = false;
  void UpdateCompanion(ChartSeries* s);
  std::array<std::optional<double>, 2> cursors_;
  QLabel* cursorBox_;
  bool cursorBoxFolded_ = false;  // only its first line and the volumes
  double gap_ = 0;
  void ShowCursorBox();
  void PlaceCursorBox();
  double NewestKey() const;  // of all lines; -inf without points
  void KeepLatestInView();
  double newestShown_ = -INFINITY;  // the newest point at the last redraw
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool following_ = false;
  QPoint pressPos_;
};
