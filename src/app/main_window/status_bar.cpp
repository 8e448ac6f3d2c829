#include "main_window/status_bar.h"

#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

#include "i18n/language_table.h"
#include "station/clock.h"
#include "station/regional.h"
#include "widgets/link_panel.h"
#include "widgets/pictures.h"

StatusBarController::StatusBarController(QStatusBar* bar, const LanguageTable& language,
                                         std::function<void()> dayChanged)
    : language_(language),
      linkPanel_(new LinkPanel(bar)), bar_(bar), dayChanged_(std::move(dayChanged)) {
  bar->addWidget(linkPanel_);
  const int widths[] = {0, 125, 135, 55};
  const Qt::Alignment align[] = {{}, Qt::AlignLeft, Qt::AlignCenter, Qt::AlignRight};
  for (int i = 1; i < 4; ++i) {
    panels_[i] = new QLabel(bar);
    panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panels_[i]->setAlignment(align[i] | Qt::AlignVCenter);
    // At least the classic widths; wider when a text (or the other language) needs it.
    panels_[i]->setMinimumWidth(widths[i]);
    panels_[i]->setFrameShape(QFrame::StyledPanel);
    bar->addWidget(panels_[i]);
  }
  panels_[1]->setText(QStringLiteral("Měření vypnuto"));
  panels_[2]->setText(QStringLiteral("www.kestrilon.cz"));
  archiveProblem_ = new QLabel(bar);
  archiveProblem_->setObjectName(QStringLiteral("laArchiveProblem"));
  archiveProblem_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
  bar->addPermanentWidget(archiveProblem_);
  archiveProblem_->hide();
  mqttState_ = new QLabel(bar);
  mqttState_->setObjectName(QStringLiteral("laMqttState"));
  bar->addPermanentWidget(mqttState_);
  mqttState_->hide();
  alarmButton_ = new QToolButton(bar);
  alarmButton_->setObjectName(QStringLiteral("tbAlarmy"));
  alarmButton_->setAutoRaise(true);
  alarmButton_->setProperty("lit", true);
  alarmButton_->setStyleSheet(QStringLiteral("QToolButton { color: #b00000; font-weight: bold; padding: 0 4px; }"
                                             "QToolButton[lit=\"true\"] { background: #ffd0d0; }"));
  bar->addPermanentWidget(alarmButton_);
  alarmButton_->hide();
  blink_.setInterval(500);
  connect(&blink_, &QTimer::timeout, this, [this] {
    alarmButton_->setProperty("lit", !alarmButton_->property("lit").toBool());
    alarmButton_->style()->polish(alarmButton_);
  });
  generationLabel_ = new QLabel(bar);
  generationProgress_ = new QProgressBar(bar);
  generationProgress_->setMaximumWidth(160);
  bar->addPermanentWidget(generationLabel_);
  bar->addPermanentWidget(generationProgress_);
  ShowGeneration(false);

  timStatusRefresh_.setInterval(1000);
  connect(&timStatusRefresh_, &QTimer::timeout, this, &StatusBarController::timStatusRefreshTimer);
  timStatusRefresh_.start();
}

void StatusBarController::SetMeasuringText(const QString& text) {
  panels_[1]->setText(text);
}

QString StatusBarController::Text(int panel) const {
  return panel >= 1 && panel <= 3 ? panels_[panel]->text() : QString();
}

void StatusBarController::ShowLinkIndicator(int value) {
  linkPanel_->SetImage(Pictures::LinkImageIndex(value));
}

int StatusBarController::LinkImageShown() const {
  return linkPanel_->Image();
}

void StatusBarController::Relabel() {
  ShowArchiveWritable(archiveWritable_, archiveFolder_);
  ShowMqttState(mqtt_);
  ShowAlarms(activeAlarms_, blink_.isActive());
}

void StatusBarController::ShowAlarms(int active, bool unacknowledged) {
  activeAlarms_ = active;
  alarmButton_->setText(language_.Shown(QStringLiteral("msgAlarmy")).arg(active));
  alarmButton_->setVisible(active > 0);
  if (unacknowledged && !blink_.isActive()) blink_.start();
  if (!unacknowledged) {
    blink_.stop();
    alarmButton_->setProperty("lit", true);  // steady while all are acknowledged
    alarmButton_->style()->polish(alarmButton_);
  }
}

void StatusBarController::ShowSettingsNotSaved(const QString& text) {
  if (settingsNotSavedTold_) return;
  settingsNotSavedTold_ = true;
  bar_->showMessage(text, 20000);
}

void StatusBarController::ShowArchiveWritable(bool writable, const QString& folder) {
  archiveWritable_ = writable;
  archiveFolder_ = folder;
  archiveProblem_->setVisible(!writable);
  archiveProblem_->setToolTip(folder);
  archiveProblem_->setText(language_.Shown(QStringLiteral("msgArchivNezapisuje")));
}

void StatusBarController::ShowMqttState(MqttState state) {
  mqtt_ = state;
  static const char* const keys[] = {"",         "msgMqttPripojovani", "msgMqttPripojeno", "msgMqttOdmitnuto",
                                     "msgMqttOdpojeno", "msgMqttCaNecitelny", "msgMqttChybaTls"};  // as MqttState
  mqttState_->setVisible(state != MqttState::Off);
  mqttState_->setText(QStringLiteral("MQTT: ") + language_.Shown(QString::fromLatin1(keys[int(state)])));
  const bool fault = state != MqttState::Connecting && state != MqttState::Connected;
  mqttState_->setStyleSheet(fault ? QStringLiteral("QLabel { color: #b00000; }") : QString());
}

QString StatusBarController::MqttText() const {
  return mqttState_->isHidden() ? QString() : mqttState_->text();
}

void StatusBarController::ShowGeneration(bool on) {
  generationLabel_->setVisible(on);
  generationProgress_->setVisible(on);
  // The progress takes the place of the web address while it runs, so the clock is never cut.
  panels_[2]->setVisible(!on);
}

void StatusBarController::SetGenerationProgress(int filesRead, int filesTotal, const QString& text) {
  generationProgress_->setRange(0, qMax(1, filesTotal));
  generationProgress_->setValue(filesRead);
  generationLabel_->setText(text);
}

void StatusBarController::timStatusRefreshTimer() {
  const QDateTime now = Clock::Now();
  panels_[3]->setText(Regional::DateTime(now) + QLatin1Char(' ') + QStringLiteral("     "));  // one, then five more
  const int day = now.date().dayOfWeek() % 7 + 1;  // Sunday 1 .. Saturday 7
  if (day != dayMemo_) {
    dayChanged_();
    dayMemo_ = day;
  }
}
