#include "main_window/report_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "i18n/language_table.h"
#include "prompts/user_prompt.h"
#include "render/report_page.h"
#include "station/clock.h"
#include "widgets/named_widgets.h"

namespace {
// The period choices, in ReportPeriod's order: the consumption page's day, week and month.
const char* const kPeriodTexts[] = {"cbSpotrebaObdobiItem_2", "cbSpotrebaObdobiItem_3", "cbSpotrebaObdobiItem_4"};
}  // namespace

ReportWindow::ReportWindow(const AppSettings& settings, UserPrompt& prompt, const LanguageTable& language,
                           QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), prompt_(prompt), language_(language) {
  setObjectName(QStringLiteral("frmZprava"));
  resize(760, 620);
  period_ = Named<QComboBox>(this, "cbZpravaObdobi");
  period_->addItems(QStringList(int(std::size(kPeriodTexts)), QString()));
  period_->setCurrentIndex(int(ReportPeriod::Month));
  day_ = Named<QDateEdit>(this, "dtpZpravaDatum");
  day_->setCalendarPopup(true);
  day_->setDisplayFormat(QStringLiteral("d.M.yyyy"));
  day_->setDate(Clock::Now().date().addDays(-1));
  make_ = Named<QPushButton>(this, "btZpravaVytvorit");
  save_ = Named<QPushButton>(this, "btZpravaUlozit");
  print_ = Named<QPushButton>(this, "btZpravaTisk");
  save_->setEnabled(false);
  print_->setEnabled(false);
  auto* bar = new QHBoxLayout;
  labels_ << Label(this, "laSpotrebaObdobi", language);
  bar->addWidget(labels_.last());
  bar->addWidget(period_);
  labels_ << Label(this, "laZpravaDatum", language);
  bar->addWidget(labels_.last());
  bar->addWidget(day_);
  bar->addWidget(make_);
  bar->addStretch(1);
  bar->addWidget(save_);
  bar->addWidget(print_);
  scroll_ = Named<QScrollArea>(this, "sbZpravaNahled");
  preview_ = Named<QLabel>(scroll_, "lbZpravaNahled");
  preview_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  scroll_->setWidget(preview_);
  scroll_->setWidgetResizable(true);
  scroll_->setBackgroundRole(QPalette::Dark);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(scroll_, 1);

  connect(make_, &QPushButton::clicked, this, [this] { Make(); });
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  connect(print_, &QPushButton::clicked, this, [this] { Print(); });
  Relabel();
}

void ReportWindow::Relabel() {
  setWindowTitle(language_.Shown(QStringLiteral("frmZprava")));
  for (QLabel* label : labels_) label->setText(language_.Shown(label->objectName()));
  for (int i = 0; i < period_->count(); ++i) period_->setItemText(i, language_.Shown(QString::fromLatin1(kPeriodTexts[i])));
  make_->setText(language_.Shown(QStringLiteral("btZpravaVytvorit")));
  save_->setText(language_.Shown(QStringLiteral("btZpravaUlozit")));
  print_->setText(language_.Shown(QStringLiteral("btSpotrebaTisk")));
}

void ReportWindow::Make() {
  if (making_) return;
  making_ = true;
  make_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  LedgerReadHooks hooks;
  hooks.waiting = [] { QCoreApplication::processEvents(); };  // repaints while the files are read
  const ReportResult result = BuildReport(settings_, ReportPeriod(period_->currentIndex()), day_->date(),
                                          Clock::Now().toSecsSinceEpoch(), hooks);
  QApplication::restoreOverrideCursor();
  make_->setEnabled(true);
  making_ = false;
  if (!result.report) {
    prompt_.Message(UserPrompt::Icon::Warning, language_.Shown(QStringLiteral("frmZprava")),
                    language_.Shown(QStringLiteral("msgSpotrebaNastaveni")).arg(result.problem));
    return;
  }
  report_ = result.report;
  save_->setEnabled(true);
  print_->setEnabled(true);
  ShowPreview();
}

// The pages one below the other, as wide as the window allows.
void ReportWindow::ShowPreview() {
  const int width = std::max(300, scroll_->viewport()->width() - scroll_->verticalScrollBar()->sizeHint().width() - 16);
  const QList<QImage> pages = ReportPageImages(*report_, width);
  constexpr int kGap = 8;
  QImage sheet(width, int(pages.size()) * (pages.first().height() + kGap), QImage::Format_RGB32);
  sheet.fill(palette().color(QPalette::Dark));
  QPainter painter(&sheet);
  for (qsizetype i = 0; i < pages.size(); ++i) painter.drawImage(0, int(i) * (pages[i].height() + kGap), pages[i]);
  painter.end();
  preview_->setPixmap(QPixmap::fromImage(sheet));
}

void ReportWindow::Save() {
  if (!report_) return;
  const QString path = prompt_.ChooseSaveFile(ReportBaseName(report_->period, report_->days.first),
                                              QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"));
  if (path.isEmpty()) return;
  const IoStatus saved = SaveReport(*report_, path);
  if (!saved.IsOk())
    prompt_.Message(UserPrompt::Icon::Error, language_.Shown(QStringLiteral("frmZprava")),
                    language_.Shown(QStringLiteral("msgZpravaNeulozena")) + QLatin1Char('\n') + saved.text);
}

void ReportWindow::Print() {
  if (!report_) return;
  QPrinter printer;
  if (prompt_.SetUpPrinter(printer) && !PrintReport(*report_, printer))
    prompt_.Message(UserPrompt::Icon::Error, language_.Text(QStringLiteral("msgChybaTiskuHeader")),
                    language_.Text(QStringLiteral("msgChybaTisku")));
}
