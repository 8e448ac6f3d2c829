#include "dialogs/data_sheet.h"

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

#include "widgets/outer_frame.h"

QPixmap DataSheetPicture() {
  QPixmap p(600, 855);
  p.fill(Qt::white);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  const QColor ink(0x1F, 0x3A, 0x5F);
  QFont title(QStringLiteral("DejaVu Sans"), 20, QFont::Bold);
  QFont head(QStringLiteral("DejaVu Sans"), 11, QFont::Bold);
  QFont text(QStringLiteral("DejaVu Sans"), 10);

  g.fillRect(0, 0, 600, 70, ink);
  g.setPen(Qt::white);
  g.setFont(title);
  g.drawText(QRect(24, 0, 560, 70), Qt::AlignVCenter, QStringLiteral("Kestrilon4 - datový list"));

  g.setPen(ink);
  g.setFont(head);
  g.drawText(24, 100, QStringLiteral("Převodník AD4ETH: 4 × 4–20 mA, Ethernet (TCP 10001)"));
  // The converter with its four loops.
  g.setPen(QPen(ink, 2));
  g.setBrush(QColor(0xEE, 0xF3, 0xF9));
  g.drawRoundedRect(QRectF(220, 125, 160, 250), 8, 8);
  g.setFont(head);
  g.drawText(QRectF(220, 125, 160, 30), Qt::AlignCenter, QStringLiteral("AD4ETH"));
  const char* const roles[4][3] = {{"IN1", "Průtok", "Nm³/h, m/s, l/min, kg/h"},
                                   {"IN2", "Teplota", "°C, K"},
                                   {"IN3", "Vlhkost", "°C tp, %"},
                                   {"IN4", "Tlak", "Bar, kPa"}};
  const QColor loopColours[4] = {QColor(0xC0, 0x30, 0x30), QColor(0x2E, 0x8B, 0x57), QColor(0x30, 0x60, 0xC0),
                                 QColor(0xB0, 0x80, 0x20)};
  for (int i = 0; i < 4; ++i) {
    const int y = 175 + i * 50;
    g.setPen(QPen(loopColours[i], 3));
    g.drawLine(120, y, 220, y);
    g.setBrush(loopColours[i]);
    g.drawEllipse(QPointF(112, y), 8, 8);
    g.setPen(ink);
    g.setFont(head);
    g.drawText(232, y + 5, QString::fromLatin1(roles[i][0]));
    g.setFont(text);
    g.drawText(QRect(12, y - 28, 95, 20), Qt::AlignRight, QString::fromUtf8(roles[i][1]));
  }
  g.setPen(QPen(ink, 3));
  g.drawLine(380, 250, 470, 250);
  g.setBrush(QColor(0xEE, 0xF3, 0xF9));
  g.setPen(QPen(ink, 2));
  g.drawRect(QRectF(470, 215, 110, 70));
  g.setFont(text);
  g.drawText(QRectF(470, 215, 110, 70), Qt::AlignCenter, QStringLiteral("PC\nKestrilon4"));
  g.drawText(QRectF(380, 225, 90, 20), Qt::AlignCenter, QStringLiteral("TCP/IP"));

  // Table of the inputs.
  int y = 420;
  g.setFont(head);
  g.drawText(24, y, QStringLiteral("Vstupy"));
  y += 14;
  const int cols[] = {24, 84, 184, 384, 576};
  const char* const header[] = {"Vstup", "Veličina", "Jednotky", "Korekce T, p"};
  const char* const correction[] = {"ano", "ne", "ano", "ne"};
  g.setPen(QPen(ink, 1));
  for (int r = 0; r <= 4; ++r) {
    const QRect row(cols[0], y + r * 28, cols[4] - cols[0], 28);
    if (r == 0) g.fillRect(row, QColor(0xDD, 0xE6, 0xF0));
    g.drawRect(row);
    for (int c = 0; c < 4; ++c) {
      const QString cell = r == 0  ? QString::fromUtf8(header[c])
                           : c < 3 ? QString::fromUtf8(roles[r - 1][c])
                                   : QString::fromUtf8(correction[r - 1]);
      g.setFont(r == 0 ? head : text);
      g.drawText(QRect(cols[c] + 6, y + r * 28, cols[c + 1] - cols[c] - 8, 28), Qt::AlignVCenter, cell);
    }
  }
  y += 5 * 28 + 36;
  g.setFont(head);
  g.drawText(24, y, QStringLiteral("Zapojení a převod"));
  g.setFont(text);
  const char* const notes[] = {
      "• Proudová smyčka 4–20 mA, napájení snímačů 24 V DC ze zdroje převodníku.",
      "• Surová hodnota 0 odpovídá 4 mA, 10000 odpovídá 20 mA; lineární přepočet.",
      "• Stav vstupu 80 (hex) = v pořádku; jiný stav = chyba analogu (červeně).",
      "• Průtok a vlhkost se korigují na 20 °C a 101,325 kPa (parametry měření).",
      "• Archiv: SA_rrrrmmdd.csv (denní), FA_rrrrmmdd_hh.csv (hodinový).",
  };
  for (const char* note : notes) {
    y += 24;
    g.drawText(30, y, QString::fromUtf8(note));
  }
  g.setPen(QPen(ink, 1));
  g.drawLine(24, 820, 576, 820);
  g.drawText(QRect(24, 824, 552, 24), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("Kestrilon s.r.o. · verze 1.1"));
  return p;
}

DataSheetImage::DataSheetImage(QWidget* parent) : QWidget(parent), picture_(DataSheetPicture()) {
  setObjectName(QStringLiteral("Image"));
}

void DataSheetImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  const QSize size = picture_.size().scaled(this->size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
  p.drawPixmap(target, picture_);
}

TfrmDataSheet::TfrmDataSheet(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmDataSheet"));
  setWindowTitle(QStringLiteral(" Data sheet - Kestrilon4"));
  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(false);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setBackgroundRole(QPalette::Base);
  QPalette white = palette();
  white.setColor(QPalette::Base, Qt::white);
  white.setColor(QPalette::Window, Qt::white);
  scroll_->setPalette(white);
  setPalette(white);
  image_ = new DataSheetImage;
  scroll_->setWidget(image_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  // The outer size, on a screen too low for it as much as fits (the window scrolls).
  (new OuterFrame(this))->Apply(QRect(20, 20, 606, 880));
}

QSize TfrmDataSheet::ClientSize() const {
  return scroll_->viewport()->size();
}

void TfrmDataSheet::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmDataSheet::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TfrmDataSheet::FormShow() {
  reference_ = size();
  FormResize();
}

void TfrmDataSheet::FormResize() {
  if (!reference_.isValid()) return;
  if (width() < reference_.width() || height() < reference_.height()) {
    image_->resize(reference_);
  } else {
    image_->resize(scroll_->maximumViewportSize());
  }
}
