#include "widgets/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace Pictures {

namespace {
QPixmap Blank(int size) {
  QPixmap p(size, size);
  p.fill(Qt::transparent);
  return p;
}

// A round lamp with a highlight: the look of every link image.
QPixmap Lamp(const QColor& colour, const std::function<void(QPainter&)>& glyph = {}) {
  QPixmap p = Blank(15);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  QRadialGradient fill(QPointF(5.5, 5), 8);
  fill.setColorAt(0, colour.lighter(160));
  fill.setColorAt(1, colour.darker(115));
  g.setBrush(fill);
  g.setPen(QPen(colour.darker(170), 1));
  g.drawEllipse(QRectF(1, 1, 13, 13));
  if (glyph) glyph(g);
  return p;
}
}  // namespace

const QVector<QPixmap>& LinkImages() {
  static const QVector<QPixmap> images = [] {
    QVector<QPixmap> v(7);
    const QPen white(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    v[0] = Lamp(QColor(0x2E, 0x9D, 0x3A));                   // connected: steady green
    v[1] = Lamp(QColor(0x9A, 0x9A, 0x9A), [](QPainter& g) {  // stopped: grey with a square
      g.setPen(Qt::NoPen);
      g.setBrush(Qt::white);
      g.drawRect(QRectF(5, 5, 5, 5));
    });
    v[2] = Lamp(QColor(0x3A, 0x78, 0xC8));
    v[3] = Lamp(QColor(0xD0, 0x2B, 0x2B), [white](QPainter& g) {  // link lost: red with a cross
      g.setPen(white);
      g.drawLine(QPointF(5, 5), QPointF(10, 10));
      g.drawLine(QPointF(10, 5), QPointF(5, 10));
    });
    v[4] = Lamp(QColor(0xE0, 0xA0, 0x20));
    v[5] = Lamp(QColor(0x70, 0x70, 0x70));
    v[6] = Lamp(QColor(0x5C, 0xE0, 0x4A), [](QPainter& g) {  // data received: bright green, arrow in
      g.setPen(QPen(QColor(0x0E, 0x4F, 0x12), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      g.drawLine(QPointF(7.5, 3.5), QPointF(7.5, 10.5));
      g.drawLine(QPointF(4.5, 7.5), QPointF(7.5, 10.5));
      g.drawLine(QPointF(10.5, 7.5), QPointF(7.5, 10.5));
    });
    return v;
  }();
  return images;
}

int LinkImageIndex(int linkIndicator) {
  switch (linkIndicator) {
    case 0:
      return 1;
    case 1:
      return 6;
    case 2:
      return 0;
    case 3:
      return 3;
    default:
      return 1;
  }
}

QIcon Icon(ToolIcon which) {
  // One set: a rounded tile in the tool's colour with a white line glyph, drawn at 32 px.
  struct Style {
    QColor tile;
    std::function<void(QPainter&)> glyph;
  };
  const QPen pen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  Style s;
  switch (which) {
    case ToolIcon::Measure:
      s = {QColor(0x2E, 0x8B, 0x57), [](QPainter& g) {
             QPainterPath play;
             play.moveTo(11, 8);
             play.lineTo(24, 16);
             play.lineTo(11, 24);
             play.closeSubpath();
             g.fillPath(play, Qt::white);
           }};
      break;
    case ToolIcon::Settings:
      s = {QColor(0x4A, 0x5A, 0x70), [pen](QPainter& g) {
             g.setPen(pen);
             for (int i = 0; i < 8; ++i) {
               g.save();
               g.translate(16, 16);
               g.rotate(i * 45);
               g.drawLine(QPointF(0, 7), QPointF(0, 10));
               g.restore();
             }
             g.drawEllipse(QPointF(16, 16), 5.5, 5.5);
           }};
      break;
    case ToolIcon::Parameters:
      s = {QColor(0xC0, 0x5A, 0x2A), [pen](QPainter& g) {
             g.setPen(pen);
             g.drawLine(QPointF(16, 7), QPointF(16, 19));
             g.setBrush(Qt::white);
             g.drawEllipse(QPointF(16, 22), 3.5, 3.5);
             g.drawLine(QPointF(19.5, 10), QPointF(22, 10));
             g.drawLine(QPointF(19.5, 14), QPointF(22, 14));
           }};
      break;
    case ToolIcon::DataSheet:
      s = {QColor(0x3A, 0x6E, 0xA8), [pen](QPainter& g) {
             g.setPen(pen);
             g.drawRect(QRectF(10, 7, 12, 18));
             g.drawLine(QPointF(13, 12), QPointF(19, 12));
             g.drawLine(QPointF(13, 16), QPointF(19, 16));
             g.drawLine(QPointF(13, 20), QPointF(17, 20));
           }};
      break;
    case ToolIcon::Print:
      s = {QColor(0x55, 0x55, 0x60), [pen](QPainter& g) {
             g.setPen(pen);
             g.drawRect(QRectF(11, 7, 10, 6));
             g.drawRoundedRect(QRectF(7, 13, 18, 8), 2, 2);
             g.drawRect(QRectF(11, 18, 10, 7));
           }};
      break;
    case ToolIcon::Language:
      s = {QColor(0x6A, 0x4C, 0x9C), [pen](QPainter& g) {
             g.setPen(pen);
             g.drawEllipse(QPointF(16, 16), 9, 9);
             g.drawEllipse(QPointF(16, 16), 4, 9);
             g.drawLine(QPointF(7, 16), QPointF(25, 16));
           }};
      break;
    case ToolIcon::Exit:
      s = {QColor(0xB0, 0x30, 0x30), [pen](QPainter& g) {
             g.setPen(pen);
             g.drawArc(QRectF(8, 9, 16, 16), 120 * 16, 300 * 16);
             g.drawLine(QPointF(16, 6), QPointF(16, 15));
           }};
      break;
    case ToolIcon::Station:
      s = {QColor(0x1F, 0x5F, 0x8F), [pen](QPainter& g) {
             g.setPen(pen);
             g.drawPolyline(QPolygonF({QPointF(7, 20), QPointF(12, 14), QPointF(17, 18), QPointF(25, 9)}));
             g.drawLine(QPointF(7, 25), QPointF(25, 25));
           }};
      break;
  }
  QPixmap p = Blank(32);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  QLinearGradient tile(0, 0, 0, 32);
  tile.setColorAt(0, s.tile.lighter(125));
  tile.setColorAt(1, s.tile.darker(110));
  g.setPen(Qt::NoPen);
  g.setBrush(tile);
  g.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
  s.glyph(g);
  g.end();
  return QIcon(p);
}

}  // namespace Pictures
