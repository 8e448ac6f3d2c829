#include "render/chart_export.h"

#include <qcustomplot.h>

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextDocument>

bool PrintChartPicture(QPrinter& printer, const QPixmap& picture) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect page = painter.viewport();
  const QRect target(page.left() + page.width() * 2 / 100, page.top() + page.height() * 4 / 100,
                     page.width() * 96 / 100, page.height() * 92 / 100);
  painter.drawPixmap(target, picture);
  return painter.end();
}

bool PrintFittedPicture(QPrinter& printer, const QPixmap& picture) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect page = painter.viewport();
  const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
  painter.drawPixmap(QRect(page.topLeft(), size), picture);
  return painter.end();
}

IoStatus SavePicture(const QPixmap& picture, const QString& path, const char* format) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  }
  if (!picture.save(&file, format)) {
    file.cancelWriting();
    return IoStatus::Fail(IoStatus::Code::Unwritable, file.error() != QFileDevice::NoError
                                                          ? file.errorString()
                                                          : QStringLiteral("the picture was not written"));
  }
  if (!file.commit()) {
    return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  }
  return {};
}

namespace {
// The box's text laid out at its natural width (never wrapped).
void LayOutBox(const OverlayBox& box, QTextDocument* document) {
  document->setDefaultFont(box.font);
  document->setDocumentMargin(4);
  document->setDefaultStyleSheet(QStringLiteral("body { color: %1; }").arg(box.text.name()));
  document->setHtml(box.html);
}

void DrawBox(QPainter& painter, const OverlayBox& box, QTextDocument& document, const QPointF& at) {
  painter.save();
  painter.translate(at);
  painter.setPen(box.text);
  painter.setBrush(box.background);
  painter.drawRect(QRectF(QPointF(0, 0), document.size()));
  document.drawContents(&painter);
  painter.restore();
}
}  // namespace

IoStatus SaveChartPdf(QCustomPlot& plot, const QString& title, const QList<LegendLine>& legend,
                      const QFont& font, const QColor& text, const OverlayBox& box, const QString& path) {
  QTemporaryFile part(path + QStringLiteral(".XXXXXX"));
  if (!part.open()) {
    return IoStatus::Fail(IoStatus::Code::Unwritable, part.errorString());
  }
  part.close();
  {
    QPdfWriter writer(part.fileName());
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    writer.setResolution(96);  // the plot's pixel sizes (fonts, pens) keep their screen proportions
    writer.setTitle(title.trimmed());
    writer.setCreator(QStringLiteral("Kestrilon4"));
    QCPPainter painter;
    if (!painter.begin(&writer)) {
      return IoStatus::Fail(IoStatus::Code::Unwritable, QStringLiteral("the PDF could not be started"));
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const QRect page = painter.viewport();
    const QFontMetrics metrics(font);
    int legendWidth = 0;
    for (const LegendLine& line : legend)
      legendWidth = qMax(legendWidth, metrics.horizontalAdvance(line.title));
    legendWidth = legend.isEmpty() ? 0 : legendWidth + 40;
    // The box goes below the plot, at its right: on paper it hides no curve.
    QTextDocument document;
    double boxHeight = 0;
    if (!box.html.isEmpty()) {
      LayOutBox(box, &document);
      boxHeight = document.size().height() + 8;
    }
    plot.toPainter(&painter, page.width() - legendWidth, int(page.height() - boxHeight));
    if (boxHeight > 0)
      DrawBox(painter, box, document,
              QPointF(page.width() - legendWidth - document.size().width() - 4, page.height() - boxHeight + 8));
    painter.setFont(font);
    int y = 40;
    for (const LegendLine& line : legend) {
      const int x = page.width() - legendWidth + 8;
      painter.setPen(QPen(line.active ? line.colour : Qt::gray, qMax(2, line.width)));
      painter.drawLine(QLineF(x, y - metrics.ascent() / 2, x + 20, y - metrics.ascent() / 2));
      painter.setPen(line.active ? text : Qt::gray);
      painter.drawText(x + 26, y, line.title);
      y += metrics.height() + 6;
    }
    if (!painter.end()) {
      return IoStatus::Fail(IoStatus::Code::Unwritable, QStringLiteral("the PDF could not be completed"));
    }
  }
  if (QFileInfo(part.fileName()).size() == 0) {
    return IoStatus::Fail(IoStatus::Code::Unwritable, QStringLiteral("nothing was written (disk full?)"));
  }
  QFile::remove(path);
  if (!QFile::rename(part.fileName(), path)) {
    return IoStatus::Fail(IoStatus::Code::Unwritable,
                          QStringLiteral("cannot rename %1 to %2").arg(part.fileName(), path));
  }
  part.setAutoRemove(false);
  return {};
}
