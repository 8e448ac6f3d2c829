#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

#include "io/io_status.h"

class QCustomPlot;
class QPixmap;
class QPrinter;

// Printing and saving a drawn chart: nothing here needs a screen, so the window and the headless
// programs (on Qt's offscreen platform, for the plot widget) make the same pages.

// One line of a chart's legend as the PDF draws it right of the plot.
struct LegendLine {
  QString title;
  QColor colour;
  int width = 1;
  bool active = true;  // an inactive series is drawn grey
};

// A picture on a printer page, kept inside 2 % / 4 % margins.
bool PrintChartPicture(QPrinter& printer, const QPixmap& picture);
// A picture scaled to fit the page, its proportions kept.
bool PrintFittedPicture(QPrinter& printer, const QPixmap& picture);
// A picture as BMP or PNG, replacing the file only when complete (else Unwritable).
IoStatus SavePicture(const QPixmap& picture, const QString& path, const char* format);
// A box of rich text, as the window shows it over the plot (the cursors' readings); none when
// `html` is empty.
struct OverlayBox {
  QString html;
  QFont font;
  QColor background;
  QColor text;
};

// The plot as vectors on a landscape A4 page with its legend, and its box below it at the right,
// written to a temporary file beside the target and renamed over it when complete.
IoStatus SaveChartPdf(QCustomPlot& plot, const QString& title, const QList<LegendLine>& legend, const QFont& font,
                      const QColor& text, const OverlayBox& box, const QString& path);
