#include "main_window/alarm_window.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "journal/journal.h"
#include "station/clock.h"
#include "station/regional.h"
#include "widgets/named_widgets.h"

namespace {
const char* const kAlarmHeaders[] = {"hdCas", "hdVstup", "hdAlarm", "hdHodnota", "hdMez", "hdStav"};
const char* const kJournalHeaders[] = {"hdCas", "hdDruh", "hdVstup", "hdText"};

// The kind filter's choices, in this order.
enum KindFilter { kAllKinds, kAlarms, kErrors, kOtherEvents };
const char* const kKindChoices[] = {"fltVse", "fltAlarmy", "fltChyby", "fltOstatni"};

QTableWidget* Table(QWidget* parent, const char* name, int columns) {
  auto* table = Named<QTableWidget>(parent, name);
  table->setColumnCount(columns);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->hide();
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
  table->setWordWrap(false);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void SetHeaders(QTableWidget* table, const LanguageTable& language, const char* const* keys, int count) {
  QStringList headers;
  for (int i = 0; i < count; ++i) headers << language.Shown(QString::fromLatin1(keys[i]));
  table->setHorizontalHeaderLabels(headers);
}

QString InputText(int input) {
  return input > 0 ? QStringLiteral("IN%1").arg(input) : QString();
}

QString Number(const std::optional<double>& v) {
  return v ? QLocale().toString(*v, 'f', 2) : QString();
}

bool Passes(const JournalEntry& e, bool error, int kindFilter, int inputFilter, const QString& find) {
  const bool alarm = e.kind.startsWith(QLatin1String("alarm-"));
  if ((kindFilter == kAlarms && !alarm) || (kindFilter == kErrors && !error) ||
      (kindFilter == kOtherEvents && (alarm || error)))
    return false;
  if (inputFilter > 0 && e.input != inputFilter - 1) return false;  // 1: the station, 2..5: IN1..IN4
  return find.isEmpty() || e.text.contains(find, Qt::CaseInsensitive) || e.kind.contains(find, Qt::CaseInsensitive);
}
}  // namespace

QString AlarmKindText(const LanguageTable& language, AlarmKind kind) {
  return language.Shown(QStringLiteral("alarm_") + AlarmKindName(kind));
}

AlarmWindow::AlarmWindow(AlarmMonitor& alarms, const AppSettings& settings, const LanguageTable& language,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), alarms_(alarms), settings_(settings), language_(language) {
  setObjectName(QStringLiteral("frmAlarmy"));
  resize(760, 520);
  auto* layout = new QVBoxLayout(this);
  activeLabel_ = Label(this, "laAktivniAlarmy", language);
  alarmTable_ = Table(this, "twAlarmy", 6);
  acknowledge_ = Named<QPushButton>(this, "btPotvrdit");
  auto* alarmRow = new QHBoxLayout;
  alarmRow->addWidget(activeLabel_);
  alarmRow->addStretch();
  alarmRow->addWidget(acknowledge_);
  layout->addLayout(alarmRow);
  layout->addWidget(alarmTable_, 2);

  journalLabel_ = Label(this, "laDenik", language);
  month_ = Named<QDateEdit>(this, "dtDenikMesic");
  month_->setDisplayFormat(QStringLiteral("MM.yyyy"));
  month_->setDate(Clock::Now().date());
  kind_ = Named<QComboBox>(this, "cbDenikDruh");
  input_ = Named<QComboBox>(this, "cbDenikVstup");
  find_ = Named<QLineEdit>(this, "edDenikHledat");
  find_->setClearButtonEnabled(true);
  auto* filters = new QHBoxLayout;
  filters->addWidget(journalLabel_);
  filters->addSpacing(12);
  const std::pair<const char*, QWidget*> fields[] = {
      {"laDenikMesic", month_}, {"laDenikDruh", kind_}, {"laDenikVstup", input_}, {"laDenikHledat", find_}};
  for (const auto& [name, field] : fields) {
    filterLabels_ << Label(this, name, language);
    filters->addWidget(filterLabels_.last());
    filters->addWidget(field, field == find_ ? 1 : 0);
  }
  layout->addLayout(filters);
  journalTable_ = Table(this, "twDenik", 4);
  layout->addWidget(journalTable_, 3);

  connect(acknowledge_, &QPushButton::clicked, this, [this] { Acknowledge(); });
  connect(month_, &QDateEdit::dateChanged, this, [this] { ShowJournal(); });
  connect(kind_, &QComboBox::currentIndexChanged, this, [this] { ShowJournal(); });
  connect(input_, &QComboBox::currentIndexChanged, this, [this] { ShowJournal(); });
  connect(find_, &QLineEdit::textChanged, this, [this] { ShowJournal(); });
  Relabel();
}

void AlarmWindow::Relabel() {
  setWindowTitle(language_.Shown(QStringLiteral("frmAlarmy")));
  activeLabel_->setText(language_.Shown(QStringLiteral("laAktivniAlarmy")));
  journalLabel_->setText(language_.Shown(QStringLiteral("laDenik")));
  for (QLabel* label : filterLabels_) label->setText(language_.Shown(label->objectName()));
  acknowledge_->setText(language_.Shown(QStringLiteral("btPotvrdit")));
  SetHeaders(alarmTable_, language_, kAlarmHeaders, 6);
  SetHeaders(journalTable_, language_, kJournalHeaders, 4);
  const QSignalBlocker kindBlocker(kind_), inputBlocker(input_);
  const int kind = std::max(0, kind_->currentIndex()), input = std::max(0, input_->currentIndex());
  kind_->clear();
  for (const char* key : kKindChoices) kind_->addItem(language_.Shown(QString::fromLatin1(key)));
  input_->clear();
  input_->addItems({language_.Shown(QStringLiteral("fltVse")), language_.Shown(QStringLiteral("fltStanice"))});
  for (int n = 1; n <= kInputCount; ++n) input_->addItem(InputText(n));
  kind_->setCurrentIndex(kind);
  input_->setCurrentIndex(input);
  ShowAlarms();
  ShowJournal();
}

void AlarmWindow::ShowAlarms() {
  const QList<Alarm> active = alarms_.Active();
  alarmTable_->setRowCount(int(active.size()));
  for (int row = 0; row < active.size(); ++row) {
    const Alarm& a = active[row];
    // A repeat updates its row: the latest time, and how often.
    const QString cells[] = {Regional::DateTime(a.lastRaised.isValid() ? a.lastRaised : a.raisedAt),
                             a.input > 0 ? InputText(a.input) : language_.Shown(QStringLiteral("fltStanice")),
                             AlarmKindText(language_, a.kind),
                             Number(a.value),
                             Number(a.limit),
                             language_.Shown(QStringLiteral("stav_") + AlarmStateName(a.state)) +
                                 (a.count > 1 ? QStringLiteral(" (%1×)").arg(a.count) : QString())};
    // Not yet acknowledged: red; acknowledged: yellow, as the overview's alarm colour; over but not
    // yet seen: blue.
    const QColor background = a.state == AlarmState::Raised                  ? QColor(255, 205, 205)
                              : a.state == AlarmState::ClearedUnacknowledged ? QColor(205, 222, 255)
                                                                             : QColor(255, 245, 190);
    for (int column = 0; column < 6; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setBackground(background);
      item->setData(Qt::UserRole, QVariant::fromValue(std::pair(int(a.kind), a.input)));
      alarmTable_->setItem(row, column, item);
    }
  }
  alarmTable_->resizeColumnsToContents();
  acknowledge_->setEnabled(alarms_.AnyUnacknowledged());
}

void AlarmWindow::ShowJournal() {
  const QDate month = month_->date();
  const int kindFilter = kind_->currentIndex(), inputFilter = input_->currentIndex();
  const QString find = find_->text().trimmed();
  QList<std::pair<JournalEntry, bool>> entries;  // the entry, from the Errors file
  // The archive folder's journal and what waits in its fallback.
  for (const QString& folder : {settings_.DatabaseDir, FallbackJournalFolder(settings_.DatabaseDir)})
    for (const bool errors : {false, true})
      for (const JournalEntry& e : ReadJournal(folder, errors ? JournalFile::Errors : JournalFile::Events, month))
        if (Passes(e, errors, kindFilter, inputFilter, find)) entries.append({e, errors});
  // Newest first; of one second, the later line first.
  std::reverse(entries.begin(), entries.end());
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first.at > b.first.at; });
  journalTable_->setRowCount(int(entries.size()));
  for (int row = 0; row < entries.size(); ++row) {
    const JournalEntry& e = entries[row].first;
    const QString cells[] = {Regional::DateTime(e.at), e.kind, InputText(e.input), e.text};
    for (int column = 0; column < 4; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      if (entries[row].second) item->setForeground(QColor(176, 0, 0));
      journalTable_->setItem(row, column, item);
    }
  }
  journalTable_->resizeColumnsToContents();
}

void AlarmWindow::Acknowledge() {
  const QDateTime now = Clock::Now();
  const QList<QTableWidgetItem*> chosen = alarmTable_->selectedItems();
  if (chosen.isEmpty()) {
    alarms_.AcknowledgeAll(QStringLiteral("window"), now);
  } else {
    QList<std::pair<int, int>> keys;
    for (const QTableWidgetItem* item : chosen) keys << item->data(Qt::UserRole).value<std::pair<int, int>>();
    for (const auto& [kind, input] : keys) alarms_.Acknowledge(AlarmKind(kind), input, QStringLiteral("window"), now);
  }
}
