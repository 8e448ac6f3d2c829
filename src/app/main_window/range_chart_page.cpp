#include "main_window/range_chart_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QToolButton>
#include <QFileInfo>
#include <limits>
#include <QLineEdit>
#include <utility>

#include "charts/chart_view.h"
#include "charts/point_mark.h"
#include "history/range_export.h"
#include "history/range_history.h"
#include "history/range_presets.h"
#include "i18n/language_table.h"
#include "main_window/series_look.h"
#include "main_window/status_bar.h"
#include "measurement/units.h"
#include "prompts/user_prompt.h"
#include "station/clock.h"
#include "station/log_message.h"
#include "station/regional.h"
#include "ui_main_form.h"
#include "widgets/offered_range.h"
#include "render/colour_ref.h"

namespace {
constexpr qint64 kPumpMs = 10;  // the longest a generation holds the window's events
// The points of the five series, built small while the archive is read and handed to the chart in
// one piece: at the end, or at an error. The inputs share one column of keys, the rows' times,
// while each has a value in every row (an input with an empty field gets keys of its own).
class PendingPoints : public RangeSink {
 public:
  void Reserve(size_t rows) override {
    rowKeys_->Reserve(rows);
    reserved_ = rows;
  }
  // The consumption's points; the inputs' come with their rows.
  void Add(int index, double x, double y) override {
    Q_ASSERT(index == kConsumptionSeries);
    if (consumption_.Empty()) consumption_.Reserve(reserved_);
    consumption_.Append(x, y);
  }
  // The rows' keys and the inputs' points, a column at a time: the most of a generation's own time.
  void AddRows(std::span<const ArchiveRow> rows, const std::array<bool, kInputCount>& active,
               std::span<const double>) override {
    std::array<double, kRun> keys, values;
    for (size_t begin = 0; begin < rows.size(); begin += kRun) {
      const std::span<const ArchiveRow> run = rows.subspan(begin, std::min(kRun, rows.size() - begin));
      const size_t firstRow = rowKeys_->Size();
      for (size_t r = 0; r < run.size(); ++r) keys[r] = run[r].key;
      rowKeys_->Append(keys.data(), run.size());
      lastKey = qMax(lastKey, keys[run.size() - 1]);
      for (size_t j = 0; j < kInputCount; ++j) {
        if (!active[j]) continue;
        Input& input = inputs_[j];
        if (input.values.Size() == 0) input.values.Reserve(reserved_);
        size_t taken = 0, r = 0;
        // While the input has a value in every row, its points share the rows' keys.
        if (!input.ownKeys && input.values.Size() == firstRow)
          for (; r < run.size() && !std::isnan(run[r].values[j]); ++r) values[taken++] = run[r].values[j];
        for (; r < run.size(); ++r) {
          const double value = run[r].values[j];
          if (std::isnan(value)) continue;
          const size_t count = input.values.Size() + taken;
          if (!input.ownKeys && count != firstRow + r) input.ownKeys = KeysOfFirst(count);
          if (input.ownKeys) input.ownKeys->Append(keys[r]);
          values[taken++] = value;
        }
        input.values.Append(values.data(), taken);
      }
    }
  }
  // The points of series `index` (an input, or kConsumptionSeries); once per series.
  CompactSeries Take(int index) {
    if (index == kConsumptionSeries) return std::exchange(consumption_, {});
    Input& input = inputs_[size_t(index)];
    if (input.values.Size() == 0) return {};
    std::shared_ptr<KeyColumn> keys = input.ownKeys                                   ? input.ownKeys
                                      : input.values.Size() == rowKeys_->Size() ? rowKeys_
                                                                                : KeysOfFirst(input.values.Size());
    return CompactSeries(std::move(keys), std::exchange(input.values, {}));
  }
  double lastKey = -std::numeric_limits<double>::infinity();

 private:
  struct Input {
    ValueColumn values;
    std::shared_ptr<KeyColumn> ownKeys;
  };
  std::shared_ptr<KeyColumn> KeysOfFirst(size_t count) const {
    auto keys = std::make_shared<KeyColumn>();
    keys->Reserve(reserved_);
    for (size_t i = 0; i < count; ++i) keys->Append((*rowKeys_)[i]);
    return keys;
  }

  static constexpr size_t kRun = 128;  // rows taken a column at a time
  std::shared_ptr<KeyColumn> rowKeys_ = std::make_shared<KeyColumn>();
  std::array<Input, kInputCount> inputs_;
  CompactSeries consumption_;
  size_t reserved_ = 0;
};

// The points of the period before, moved onto this period's days as they arrive.
class ShiftedPoints : public RangeSink {
 public:
  explicit ShiftedPoints(PeriodShift shift) : shift_(std::move(shift)) {}
  void Reserve(size_t) override {}
  void Add(int index, double x, double y) override {
    CompactSeries& points = points_[size_t(index)];
    // Autumn's repeated hour lands on one hour of a day without it: its second pass is left out,
    // so that the keys still ascend.
    if (const std::optional<double> key = shift_.Map(x); key && (points.Empty() || *key >= points.Key(points.Size() - 1)))
      points.Append(*key, y);
  }
  CompactSeries Take(int index) { return std::exchange(points_[size_t(index)], {}); }

 private:
  PeriodShift shift_;
  std::array<CompactSeries, kRangeSeriesCount> points_;
};

// The unit of a total: the rate's unit up to its first "/".
QString ConsumptionUnit(const QString& unit) {
  const qsizetype slash = unit.indexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : unit.left(slash);
}
}  // namespace

RangeChartPage::RangeChartPage(Ui::TMainForm& form, AppSettings& settings, UserPrompt& prompt,
                               const LanguageTable& language, StatusBarController& statusBar)
    : ui(form),
      settings_(settings),
      prompt_(prompt),
      language_(language),
      statusBar_(statusBar),
      mark_(new PointMark(form.ChartVelky, QStringLiteral("stMarkOdDo"))) {
  ChartView* chart = ui.ChartVelky;
  for (int index = 0; index < kRangeSeriesCount; ++index)
    series_[size_t(index)] = chart->AddSeries(QStringLiteral("Series%1").arg(5 + index), ChartSeries::Kind::Line);
  chart->SetOwnValueAxis(Series(kConsumptionSeries));  // the consumption: a total, not a rate
  for (int index = 0; index < kRangeSeriesCount; ++index) {
    previous_[size_t(index)] =
        chart->AddSeries(QStringLiteral("Series%1Predchozi").arg(5 + index), ChartSeries::Kind::Line);
    chart->SetCompanion(Series(index), previous_[size_t(index)]);
  }
  compare_ = new QCheckBox(QStringLiteral("Porovnat s předchozím obdobím"));
  compare_->setObjectName(QStringLiteral("cbPorovnat"));
  chart->AddLegendWidget(compare_);
  QObject::connect(compare_, &QCheckBox::toggled, chart, [this](bool on) {
    ui.ChartVelky->SetComparison(on);
    if (on && ExportsEnabled()) GenerujData();  // the period before of the chart shown
  });

  ui.rgArchivace->SetItems({QStringLiteral("Pomalá"), QStringLiteral("Rychlá")});
  ui.rgParametryGrafu->SetItems({QStringLiteral("2D"), QStringLiteral("3D")});
  // The 3D percentage changes by its arrows only.
  SetOfferedRange(ui.edProcento3D, "OSTATNI", "Chart3DPercent");
  if (auto* text = ui.edProcento3D->findChild<QLineEdit*>()) text->setReadOnly(true);

  QObject::connect(ui.btGeneruj, &QPushButton::clicked, chart, [this] { GenerujData(); });
  QObject::connect(ui.btUloz, &QPushButton::clicked, chart, [this] { SavePicture(); });
  QObject::connect(ui.btUlozCsv, &QPushButton::clicked, chart, [this] { SaveCsv(); });
  SetExportsEnabled(false);  // nothing generated yet
  QObject::connect(ui.rgArchivace, &RadioGroup::Clicked, chart, [this](int i) { rgArchivaceClick(i); });
  QObject::connect(ui.rgParametryGrafu, &RadioGroup::Clicked, chart, [this](int i) { rgParametryGrafuClick(i); });
  QObject::connect(ui.edProcento3D, &QSpinBox::valueChanged, chart, [this](int v) { edProcento3DChange(v); });
  QObject::connect(chart, &ChartView::MousePressed, mark_, &QWidget::hide);
  QObject::connect(chart, &ChartView::SeriesClicked, mark_, &PointMark::ShowPoint);

  // Beside the pickers: the presets, and the steps back and forward by the range's own length.
  presets_ = new QComboBox(form.tsGrafy);
  presets_->setObjectName(QStringLiteral("cbPredvolba"));
  presets_->addItems(QStringList(kRangePresetCount + 1, QString()));
  // Narrow, so that the row keeps the window's default width; the list opens as wide as it needs.
  presets_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  presets_->setMinimumContentsLength(7);
  auto* back = new QToolButton(form.tsGrafy);
  back->setObjectName(QStringLiteral("btObdobiZpet"));
  back->setText(QStringLiteral("◀"));
  back->setAutoRaise(true);
  auto* forward = new QToolButton(form.tsGrafy);
  forward->setObjectName(QStringLiteral("btObdobiVpred"));
  forward->setText(QStringLiteral("▶"));
  forward->setAutoRaise(true);
  const int after = ui.rangePeriod->indexOf(ui.dtpDo) + 1;
  ui.rangePeriod->insertWidget(after, forward);
  ui.rangePeriod->insertWidget(after, back);
  ui.rangePeriod->insertWidget(after, presets_);
  QObject::connect(presets_, &QComboBox::activated, chart, [this](int index) {
    if (index == 0) return;  // the combo's caption
    presets_->setCurrentIndex(0);
    ShowRange(PresetRange(RangePreset(index - 1), Clock::Now().date()));
  });
  QObject::connect(back, &QToolButton::clicked, chart, [this] { StepRange(-1); });
  QObject::connect(forward, &QToolButton::clicked, chart, [this] { StepRange(+1); });
}

void RangeChartPage::StepRange(int direction) {
  ShowRange(::StepRange({ui.dtpOd->date(), ui.dtpDo->date()}, direction));
}

void RangeChartPage::ShowRange(const DayRange& range) {
  if (generating_) return;
  ui.dtpOd->setDate(range.first);
  ui.dtpDo->setDate(range.last);
  GenerujData();
}

void RangeChartPage::ApplySettings() {
  ProposeDates();
  for (int i = 0; i < presets_->count(); ++i)
    presets_->setItemText(i, language_.Shown(QStringLiteral("cbPredvolbaItem_%1").arg(i)));
  const int view = settings_.PrednabizetGraf2D ? 0 : 1;
  ui.rgParametryGrafu->SetItemIndex(view);
  ui.ChartVelky->Set3D(view == 1);
  ui.edProcento3D->setEnabled(view == 1);
  {
    const QSignalBlocker block(ui.edProcento3D);
    ui.edProcento3D->setValue(settings_.Chart3DPercent);
  }
  ui.ChartVelky->Set3DPercent(settings_.Chart3DPercent);
  ui.rgArchivace->SetItemIndex(settings_.TypDB);
}

void RangeChartPage::SetupSeries(const QStringList& names) {
  ChartView* chart = ui.ChartVelky;
  for (int n = 1; n <= kInputCount; ++n)
    ApplyInputLook(chart, InputSeries(n), settings_, n, names[n - 1]);
  const ChannelSettings& input1 = settings_.Channel(kFlowInput);
  ChartSeries* total = Series(kConsumptionSeries);
  chart->SetActive(total, false);
  chart->SetTitle(total, names[4] + QStringLiteral(" [") +
                             ConsumptionUnit(UnitText(kFlowInput, input1.JednotkaIndex)) + QStringLiteral("]"));
  chart->SetShownInLegend(total, input1.Activ && settings_.UkazujSpotrebu);
  chart->SetColour(total, ColourFromRef(input1.BarvaCary));
  chart->SetLineWidth(total, settings_.TloustkaCaryGrafu + 1);
  for (int index = 0; index < kRangeSeriesCount; ++index)
    chart->SetTitle(PreviousSeries(index), chart->Title(Series(index)) + QStringLiteral(" (") +
                                               language_.Shown(QStringLiteral("rpPredchozi")) + QLatin1Char(')'));
}

void RangeChartPage::SetChartTitle(int n) {
  QString text = settings_.PopisGrafu;
  if (n >= 0) text += QLatin1Char(' ') + Regional::ShortDate(ui.dtpOd->date());
  if (n > 0) text += QStringLiteral(" - ") + Regional::ShortDate(ui.dtpDo->date());
  ui.ChartVelky->SetChartTitle(QLatin1Char(' ') + text + QLatin1Char(' '));
}

void RangeChartPage::ProposeDates() {
  const QDateTime now = Clock::Now();
  ui.dtpOd->setDateTime(now.addDays(-settings_.DatumOdOffset));
  ui.dtpDo->setDateTime(now);
}

void RangeChartPage::SetArchiveConnection() {
  // The connection text of the archive folder; the reader opens the files of that folder directly.
  archiveConnection_ = QStringLiteral("Driver={Microsoft Text Driver (*.txt; *.csv)};Dbq=") +
                       settings_.DatabaseDir + QLatin1Char(';');
}

void RangeChartPage::RequestCancel() {
  if (generating_) cancelRequested_ = true;
}

void RangeChartPage::SetExportsEnabled(bool on) {
  ui.btUloz->setEnabled(on);
  ui.btUlozCsv->setEnabled(on);
}

bool RangeChartPage::ExportsEnabled() const {
  return ui.btUlozCsv->isEnabled();
}

void RangeChartPage::SetGeneratingState(bool on) {
  ui.btGeneruj->setEnabled(!on);
  if (on) SetExportsEnabled(false);
  if (on && !generating_) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!on && generating_) QApplication::restoreOverrideCursor();
  generating_ = on;
  statusBar_.ShowGeneration(on);
}

void RangeChartPage::Clear() {
  for (ChartSeries* series : series_) ui.ChartVelky->Clear(series);
  for (ChartSeries* series : previous_) ui.ChartVelky->Clear(series);
}

void RangeChartPage::UpdateGenerationProgress(int filesRead, int filesTotal) {
  statusBar_.SetGenerationProgress(
      filesRead, filesTotal, language_.Shown(QStringLiteral("msgCteniArchivu")).arg(filesRead).arg(filesTotal));
}

void RangeChartPage::EndCancelledGeneration() {
  SetGeneratingState(false);
  Clear();
  ui.ChartVelky->HoldRedraws(false);
  SetChartTitle(-1);
  prompt_.Message(UserPrompt::Icon::Information, language_.Shown(QStringLiteral("msgGenerovaniPrerusenoHeader")),
                  language_.Shown(QStringLiteral("msgGenerovaniPreruseno")));
}

void RangeChartPage::GenerujData() {
  const AppSettings& s = settings_;
  // A last day before the first is the same range entered the other way round.
  if (ui.dtpDo->date() < ui.dtpOd->date()) {
    const QDate first = ui.dtpDo->date(), lastDay = ui.dtpOd->date();
    ui.dtpOd->setDate(first);
    ui.dtpDo->setDate(lastDay);
  }
  QDateTime last = ui.dtpDo->dateTime();
  last.setTime(QTime(23, 59, 59, 59));
  ui.dtpDo->setDateTime(last);
  // Whole calendar days between the pickers' dates (a day with a clock change is still one day).
  const int n = int(qAbs(ui.dtpOd->date().daysTo(ui.dtpDo->date())));
  ui.ChartVelky->SetDateTimeFormat(n == 0   ? QStringLiteral("hh:mm")
                                   : n <= 7 ? QStringLiteral("d.M hh:mm")
                                            : QStringLiteral("d.M.yyyy"));
  SetGeneratingState(true);
  cancelRequested_ = false;
  Clear();
  mark_->hide();
  // The chart is drawn once at the end, not at every pump of the loop.
  ui.ChartVelky->HoldRedraws(true);

  RangeRequest request;
  request.firstDay = ui.dtpOd->date();
  request.lastDay = [this] { return ui.dtpDo->date(); };
  request.kind = s.TypDB;
  if (const std::optional<ArchiveKind> kind = ArchiveKindOfTypDB(s.TypDB))
    ApplyLedgerRules(ui.ChartVelky, InputSeries(kFlowInput), s, *kind, SeriesNames(language_)[kConsumptionSeries]);
  ui.ChartVelky->ClearCursors();
  request.folder = s.DatabaseDir;
  for (int j = 0; j < kInputCount; ++j) request.active[size_t(j)] = s.Channel(j + 1).Activ;
  request.consumption = s.UkazujSpotrebu && s.Channel(kFlowInput).Activ;
  request.consumptionInHours = s.Channel(kFlowInput).JednotkaIndex == kNormalCubicMetresPerHour;
  RangeHooks hooks;
  // Timers, repaints and Esc run every 101 rows and while a file is still being read: the chart is
  // held and empty, the button disabled; a pumped event may change the pickers or the settings,
  // which the walk reads (the last day) or has already copied (all else). At a 101-row boundary the
  // events are handled once kPumpMs have passed since they last were: a pump costs microseconds,
  // a year has 156,000 boundaries, and an event waits no longer than a screen's frame.
  QElapsedTimer sincePump;  // invalid until the first boundary, which always pumps
  hooks.pump = [&sincePump] {
    if (sincePump.isValid() && sincePump.elapsed() < kPumpMs) return;
    QCoreApplication::processEvents();
    sincePump.start();
  };
  hooks.waiting = [] { QCoreApplication::processEvents(); };
  hooks.cancelled = [this] { return cancelRequested_; };
  hooks.progress = [this](int read, int total) { UpdateGenerationProgress(read, total); };
  QString firstInterruptedFile;
  int firstInterruptedLine = 0, interruptedLines = 0;
  hooks.interrupted = [&](const QString& file, int line) {
    if (interruptedLines++ > 0) return;
    firstInterruptedFile = file;
    firstInterruptedLine = line;
  };
  ui.laPreskoceneRadky->hide();
  PendingPoints pending;
  const IoStatus read = ReadArchiveRange(request, hooks, pending);
  if (read.code == IoStatus::Code::Cancelled) return EndCancelledGeneration();
  lastRequest_ = request;
  lastRequest_.lastDay = [day = ui.dtpDo->date()] { return day; };
  lastKey_ = pending.lastKey;
  for (int i = 0; i < kRangeSeriesCount; ++i) ui.ChartVelky->SetPoints(Series(i), pending.Take(i));
  if (compare_->isChecked() && read.IsOk()) {
    const DayRange shown{request.firstDay, ui.dtpDo->date()}, before = ::StepRange(shown, -1);
    RangeRequest earlier = request;
    earlier.firstDay = before.first;
    earlier.lastDay = [last = before.last] { return last; };
    ShiftedPoints shifted{PeriodShift(before, shown)};
    if (ReadArchiveRange(earlier, hooks, shifted).code == IoStatus::Code::Cancelled) return EndCancelledGeneration();
    for (int i = 0; i < kRangeSeriesCount; ++i) ui.ChartVelky->SetPoints(PreviousSeries(i), shifted.Take(i));
  }
  if (!read.IsOk()) {
    prompt_.Message(UserPrompt::Icon::Error, language_.Text(QStringLiteral("msgChybaSouboruHeader")),
                    language_.Text(QStringLiteral("msgChybaSouboru")));
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka GenerujData - ") + read.text);
  }
  // Told once per generation, beside the chart: the rows after a cut line were read all the same.
  if (interruptedLines > 0) {
    ui.laPreskoceneRadky->setText(language_.Text(QStringLiteral("msgPreskoceneRadky"))
                                      .arg(firstInterruptedFile)
                                      .arg(firstInterruptedLine)
                                      .arg(interruptedLines));
    ui.laPreskoceneRadky->show();
  }
  SetGeneratingState(false);
  SetExportsEnabled(true);
  ui.ChartVelky->RescaleToData();
  ui.ChartVelky->HoldRedraws(false);
  SetChartTitle(n);
}

void RangeChartPage::rgArchivaceClick(int index) {
  settings_.TypDB = index;
}

void RangeChartPage::rgParametryGrafuClick(int index) {
  ui.ChartVelky->Set3D(index == 1);
  ui.edProcento3D->setEnabled(index == 1);
  settings_.PrednabizetGraf2D = index == 0;
}

void RangeChartPage::edProcento3DChange(int value) {
  if (value < 1 || value > 100) {
    prompt_.Message(UserPrompt::Icon::Warning, ui.edProcento3D->window()->windowTitle().trimmed(),
                    language_.Shown(QStringLiteral("msgSpatneCislo")));
    LogMessage(LogKind::Error, QStringLiteral("Vyjimka edProcento3DChange - %1 is outside 1..100").arg(value));
    return;
  }
  ui.ChartVelky->Set3DPercent(value);
  settings_.Chart3DPercent = value;
}

void RangeChartPage::ReportExportFailure(const QString& path, const QString& reason) {
  LogMessage(LogKind::Error, QStringLiteral("Export to %1 failed: %2").arg(path, reason));
  prompt_.Message(UserPrompt::Icon::Error, language_.Text(QStringLiteral("msgChybaExportuHeader")),
                  language_.Text(QStringLiteral("msgChybaExportu")) + QLatin1Char('\n') + path + QLatin1Char('\n') +
                      reason);
}

void RangeChartPage::SavePicture() {
  const QString proposed = Clock::Now().toString(QStringLiteral("yyyyMMdd_HHmmss"));
  const QString path = prompt_.ChooseSaveFile(
      proposed, QStringLiteral("BMP (*.bmp);;PNG (*.png);;PDF (*.pdf)"), QStringLiteral("bmp"));
  if (path.isEmpty()) return;
  const QString suffix = QFileInfo(path).suffix().toLower();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const IoStatus saved = suffix == QLatin1String("pdf")   ? ui.ChartVelky->SavePdf(path)
                         : suffix == QLatin1String("png") ? ui.ChartVelky->SaveImage(path, "PNG")
                                                          : ui.ChartVelky->SaveImage(path, "BMP");
  QApplication::restoreOverrideCursor();
  if (!saved.IsOk()) ReportExportFailure(path, saved.text);
}

void RangeChartPage::SaveCsv() {
  const QString proposed = Clock::Now().toString(QStringLiteral("yyyyMMdd_HHmmss"));
  const QString path = prompt_.ChooseSaveFile(proposed, QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
  if (path.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  RangeHooks hooks;
  // Repaints run while the files are read again; the exports stay disabled until the end.
  hooks.pump = hooks.waiting = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
  SetExportsEnabled(false);
  const IoStatus saved = WriteRangeCsv(lastRequest_, lastKey_, settings_.ArchiveSeparator, path, hooks);
  SetExportsEnabled(true);
  QApplication::restoreOverrideCursor();
  if (!saved.IsOk()) ReportExportFailure(path, saved.text);
}
