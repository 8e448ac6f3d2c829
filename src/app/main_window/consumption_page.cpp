#include "main_window/consumption_page.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>

#include "i18n/language_table.h"
#include "ledger/ledger_source.h"
#include "main_window/status_bar.h"
#include "prompts/user_prompt.h"
#include "render/chart_export.h"
#include "station/clock.h"
#include "widgets/named_widgets.h"

namespace {
// The columns of the table, after From and To: a header key and the value it shows.
struct Column {
  const char* header;
  int input;  // the mean of input n (1-4), or 0
  std::optional<double> LedgerFields::*value;
  int decimals;
};
const Column kColumns[] = {
    {"hdSpotreba", 0, &LedgerFields::consumption, 1},
    {"hdNaklady", 0, &LedgerFields::cost, 2},
    {"hdUnik", 0, &LedgerFields::leak, 1},
    {"hdPodilUniku", 0, &LedgerFields::leakShare, 1},
    {"hdNakladyUniku", 0, &LedgerFields::leakCost, 2},
    {"hdPokryti", 0, &LedgerFields::coverage, 1},
    {"hdPrumer", 1, nullptr, 2},
    {"hdPrumer", 2, nullptr, 2},
    {"hdPrumer", 3, nullptr, 2},
    {"hdPrumer", 4, nullptr, 2},
    {"hdRosnyBodNad", 0, &LedgerFields::dewPointAbovePercent, 1},
    {"hdRosnyBodMax", 0, &LedgerFields::dewPointMax, 1},
};
constexpr int kFirstValueColumn = 2;

// A bar's label: as much of the period's start as tells it apart.
QString BarLabel(LedgerPeriod period, qint64 begin) {
  const QDateTime at = QDateTime::fromSecsSinceEpoch(begin);
  switch (period) {
    case LedgerPeriod::Hour:
    case LedgerPeriod::Shift:
      return at.toString(QStringLiteral("d.M. H:mm"));
    case LedgerPeriod::Day:
    case LedgerPeriod::Week:
      return at.toString(QStringLiteral("d.M."));
    case LedgerPeriod::Month:
      return at.toString(QStringLiteral("M/yyyy"));
    case LedgerPeriod::Year:
      return at.toString(QStringLiteral("yyyy"));
  }
  return {};
}
}  // namespace

ConsumptionPage::ConsumptionPage(QTabWidget* tabs, const AppSettings& settings, UserPrompt& prompt,
                                 const LanguageTable& language, StatusBarController& statusBar)
    : QObject(tabs), settings_(settings), prompt_(prompt), language_(language), statusBar_(statusBar) {
  page_ = Named<QWidget>(nullptr, "tsSpotreba");
  auto* bar = new QHBoxLayout;
  from_ = Named<QDateEdit>(page_, "dtpSpotrebaOd");
  to_ = Named<QDateEdit>(page_, "dtpSpotrebaDo");
  const QDate today = Clock::Now().date();
  from_->setDate(today.addDays(1 - today.day()));  // this month so far
  to_->setDate(today);
  for (QDateEdit* date : {from_, to_}) {
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("d.M.yyyy"));
  }
  period_ = Named<QComboBox>(page_, "cbSpotrebaObdobi");
  archive_ = Named<QComboBox>(page_, "cbSpotrebaArchiv");
  period_->addItems(QStringList(6, QString()));
  archive_->addItems(QStringList(2, QString()));
  period_->setCurrentIndex(int(LedgerPeriod::Day));
  compute_ = Named<QPushButton>(page_, "btSpotrebaGeneruj");
  saveCsv_ = Named<QPushButton>(page_, "btSpotrebaCsv");
  auto* print = Named<QPushButton>(page_, "btSpotrebaTisk");
  for (QPushButton* b : {compute_, saveCsv_, print}) b->setText(language.Shown(b->objectName()));
  saveCsv_->setEnabled(false);
  bar->addWidget(Label(page_, "laSpotrebaOd", language));
  bar->addWidget(from_);
  bar->addWidget(Label(page_, "laSpotrebaDo", language));
  bar->addWidget(to_);
  bar->addWidget(Label(page_, "laSpotrebaObdobi", language));
  bar->addWidget(period_);
  bar->addWidget(Label(page_, "laSpotrebaArchiv", language));
  bar->addWidget(archive_);
  bar->addStretch(1);
  // The commands on a row of their own, so the page fits the window's default width.
  auto* commands = new QHBoxLayout;
  commands->addWidget(compute_);
  commands->addWidget(saveCsv_);
  commands->addWidget(print);
  commands->addStretch(1);

  table_ = Named<QTableWidget>(page_, "twSpotreba");
  table_->setColumnCount(kFirstValueColumn + int(std::size(kColumns)));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  chart_ = Named<QCustomPlot>(page_, "ChartSpotreba");
  chart_->setMinimumHeight(120);
  table_->setMinimumHeight(100);
  // The legend in one line at the top right, over the headroom left above the bars.
  chart_->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  chart_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
  auto* split = new QSplitter(Qt::Vertical, page_);
  split->addWidget(table_);
  split->addWidget(chart_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  note_ = Named<QLabel>(page_, "laSpotrebaPoznamka");
  note_->setWordWrap(true);
  note_->hide();
  auto* layout = new QVBoxLayout(page_);
  layout->addLayout(bar);
  layout->addLayout(commands);
  layout->addWidget(note_);
  layout->addWidget(split, 1);
  tabs->addTab(page_, language.Shown(QStringLiteral("tsSpotreba")));

  connect(compute_, &QPushButton::clicked, this, &ConsumptionPage::Compute);
  connect(saveCsv_, &QPushButton::clicked, this, &ConsumptionPage::SaveCsv);
  connect(print, &QPushButton::clicked, this, [this] {
    QPrinter printer;
    if (prompt_.SetUpPrinter(printer) && !Print(printer))
      prompt_.Message(UserPrompt::Icon::Error, language_.Text(QStringLiteral("msgChybaTiskuHeader")),
                      language_.Text(QStringLiteral("msgChybaTisku")));
  });
  Relabel();
}

void ConsumptionPage::Relabel() {
  for (QComboBox* box : {period_, archive_})
    for (int i = 0; i < box->count(); ++i)
      box->setItemText(i, language_.Shown(box->objectName() + QStringLiteral("Item_%1").arg(i)));
  QStringList headers{language_.Shown(QStringLiteral("hdSpotrebaOd")),
                      language_.Shown(QStringLiteral("hdSpotrebaDo"))};
  for (const Column& c : kColumns) {
    QString header = language_.Shown(QString::fromLatin1(c.header));
    if (c.input > 0) header += QStringLiteral(" IN%1").arg(c.input);
    headers << header;
  }
  table_->setHorizontalHeaderLabels(headers);
  if (ledger_) ShowLedger();
}

void ConsumptionPage::RequestCancel() {
  if (computing_) cancelRequested_ = true;
}

void ConsumptionPage::Compute() {
  if (computing_) return;
  computing_ = true;
  cancelRequested_ = false;
  compute_->setEnabled(false);
  statusBar_.ShowGeneration(true);
  LedgerReadHooks hooks;
  // Repaints, timers and Esc run while the files are read; the page's choices are taken already.
  hooks.waiting = [] { QCoreApplication::processEvents(); };
  hooks.progress = [this](int read, int total) {
    statusBar_.SetGenerationProgress(read, total,
                                     language_.Shown(QStringLiteral("msgCteniArchivu")).arg(read).arg(total));
    QCoreApplication::processEvents();
  };
  hooks.cancelled = [this] { return cancelRequested_; };
  const QDate first = from_->date(), last = std::max(from_->date(), to_->date());
  const LedgerPeriod period = LedgerPeriod(period_->currentIndex());
  ArchiveLedger result =
      BuildArchiveLedger(settings_, archive_->currentIndex() == 1 ? ArchiveKind::Slow : ArchiveKind::Fast,
                         period, first, last, Clock::Now().toSecsSinceEpoch(), hooks);
  statusBar_.ShowGeneration(false);
  compute_->setEnabled(true);
  computing_ = false;
  if (!result.settingsProblem.isEmpty())
    prompt_.Message(UserPrompt::Icon::Warning, language_.Shown(QStringLiteral("tsSpotreba")),
                    language_.Shown(QStringLiteral("msgSpotrebaNastaveni")).arg(result.settingsProblem));
  if (!result.ledger) return;  // cancelled, or settings that do not read
  ledger_ = std::move(result.ledger);
  note_->setVisible(!result.rejected.isEmpty());
  if (!result.rejected.isEmpty())
    note_->setText(language_.Shown(QStringLiteral("msgSpotrebaVynechano"))
                       .arg(result.rejected.size())
                       .arg(result.rejected.first()));
  saveCsv_->setEnabled(true);
  ShowLedger();
}

void ConsumptionPage::ShowLedger() {
  const Ledger& ledger = *ledger_;
  const QLocale locale;
  table_->setRowCount(int(ledger.lines.size()) + 1);
  auto fill = [&](int row, const LedgerLine& line, bool total) {
    const LedgerFields f = FieldsOf(ledger, line);
    auto set = [&](int column, const QString& text) {
      auto* item = new QTableWidgetItem(text);
      item->setTextAlignment(column < kFirstValueColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                        : Qt::AlignRight | Qt::AlignVCenter);
      if (total) {
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
      }
      table_->setItem(row, column, item);
    };
    const QString picture = QStringLiteral("d.M.yyyy H:mm");
    set(0, total ? language_.Shown(QStringLiteral("hdCelkem"))
                 : QDateTime::fromSecsSinceEpoch(line.span.begin).toString(picture));
    set(1, total ? QString() : QDateTime::fromSecsSinceEpoch(line.span.end).toString(picture));
    for (int c = 0; c < int(std::size(kColumns)); ++c) {
      const Column& column = kColumns[c];
      const std::optional<double> v = column.input > 0 ? f.mean[size_t(column.input - 1)] : f.*column.value;
      set(kFirstValueColumn + c, v ? locale.toString(*v, 'f', column.decimals) : QString());
    }
  };
  for (int i = 0; i < ledger.lines.size(); ++i) fill(i, ledger.lines[i], false);
  fill(int(ledger.lines.size()), ledger.total, true);
  const QString unit =
      ledger.options.perSecond ? QStringLiteral(" [%1]").arg(ledger.options.unit) : QString();
  table_->horizontalHeaderItem(kFirstValueColumn)
      ->setText(language_.Shown(QStringLiteral("hdSpotreba")) + unit);
  table_->resizeColumnsToContents();
  ShowChart();
}

void ConsumptionPage::ShowChart() {
  chart_->clearPlottables();
  const Ledger& ledger = *ledger_;
  QVector<double> keys, leaks, rests;
  QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
  const LedgerPeriod period = LedgerPeriod(period_->currentIndex());
  // Every k-th bar labelled, as many as fit side by side.
  const int labelWidth =
      QFontMetrics(chart_->xAxis->tickLabelFont()).horizontalAdvance(QStringLiteral("88.88. 88:88  "));
  const int fit = std::max(1, (chart_->width() - 60) / std::max(1, labelWidth));
  const int every = std::max<int>(1, int((ledger.lines.size() + fit - 1) / fit));
  for (int i = 0; i < ledger.lines.size(); ++i) {
    const LedgerFields f = FieldsOf(ledger, ledger.lines[i]);
    const double leak = f.leak.value_or(0);
    keys << i;
    leaks << leak;
    rests << std::max(0.0, f.consumption.value_or(0) - leak);
    if (i % every == 0) ticker->addTick(i, BarLabel(period, ledger.lines[i].span.begin));
  }
  auto* leak = new QCPBars(chart_->xAxis, chart_->yAxis);
  leak->setName(language_.Shown(QStringLiteral("hdUnik")));
  leak->setBrush(QColor(230, 120, 40));
  leak->setPen(Qt::NoPen);
  leak->setData(keys, leaks, true);
  auto* rest = new QCPBars(chart_->xAxis, chart_->yAxis);
  rest->setName(language_.Shown(QStringLiteral("hdSpotreba")));
  rest->setBrush(QColor(60, 120, 200));
  rest->setPen(Qt::NoPen);
  rest->setData(keys, rests, true);
  rest->moveAbove(leak);  // one bar per period, the leakage its lower part
  chart_->xAxis->setTicker(ticker);
  chart_->yAxis->setLabel(ledger.options.perSecond ? ledger.options.unit : QString());
  chart_->legend->setVisible(true);
  chart_->rescaleAxes();
  chart_->xAxis->setRange(-0.6, double(ledger.lines.size()) - 0.4);
  chart_->yAxis->setRange(0, std::max(1.0, chart_->yAxis->range().upper * 1.5));  // headroom for the legend
  chart_->replot();
}

bool ConsumptionPage::Print(QPrinter& printer) {
  return PrintFittedPicture(printer, page_->grab());
}

void ConsumptionPage::SaveCsv() {
  if (!ledger_) return;
  const QString proposed = Clock::Now().toString(QStringLiteral("'ledger_'yyyyMMdd_HHmmss"));
  const QString path = prompt_.ChooseSaveFile(proposed, QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
  if (path.isEmpty()) return;
  const IoStatus saved = WriteLedgerCsv(*ledger_, path);
  if (!saved.IsOk())
    prompt_.Message(UserPrompt::Icon::Error, language_.Text(QStringLiteral("msgChybaExportuHeader")),
                    language_.Text(QStringLiteral("msgChybaExportu")) + QLatin1Char('\n') + path +
                        QLatin1Char('\n') + saved.text);
}
