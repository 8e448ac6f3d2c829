#include "report/report_schedule.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "archive/archive_writer.h"
#include "station/clock.h"
#include "station/log_message.h"

namespace {
constexpr qint64 kAfterTheEnd = 60;  // s: the first full minute after a period's end
constexpr ReportPeriod kKinds[] = {ReportPeriod::Day, ReportPeriod::Week, ReportPeriod::Month};

bool Enabled(const ReportSettings& s, ReportPeriod period) {
  switch (period) {
    case ReportPeriod::Day:
      return s.Day;
    case ReportPeriod::Week:
      return s.Week;
    case ReportPeriod::Month:
      return s.Month;
  }
  return false;
}
}  // namespace

QString ReportFolder(const AppSettings& settings) {
  return settings.Reports.Folder.isEmpty() ? QDir(settings.DatabaseDir).filePath(QStringLiteral("Reports"))
                                           : settings.Reports.Folder;
}

QString ReportPdfPath(const AppSettings& settings, ReportPeriod period, const QDate& day) {
  return QDir(ReportFolder(settings)).filePath(ReportBaseName(period, day) + QStringLiteral(".pdf"));
}

QList<DueReport> DueReports(const ReportSettings& settings, qint64 now,
                            const std::function<bool(const DueReport&)>& written,
                            const std::function<bool(const DueReport&)>& recorded) {
  // The day of the last moment a minute ago: the periods before its own have ended by then.
  const QDate latest = QDateTime::fromSecsSinceEpoch(now - kAfterTheEnd).date();
  QList<std::pair<qint64, DueReport>> due;  // by the period's end
  for (ReportPeriod period : kKinds) {
    if (!Enabled(settings, period)) continue;
    ReportDays days = PreviousReportDays(period, latest);
    for (int i = 0; i < kCatchUpPeriods; ++i, days = PreviousReportDays(period, days.first)) {
      const DueReport r{period, days.first};
      if (written(r)) break;
      if (recorded(r)) due << std::pair{LocalInstant(days.last.addDays(1), 0), r};
    }
  }
  std::stable_sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : int(a.second.period) < int(b.second.period);
  });
  QList<DueReport> result;
  for (const auto& [end, r] : due) result << r;
  return result;
}

bool ArchiveHasFiles(const QString& archiveFolder, const QDate& first, const QDate& last) {
  for (QDate day = first; day <= last; day = day.addDays(1)) {
    if (QFileInfo::exists(ArchivePath(archiveFolder, ArchiveFileName(ArchiveKind::Slow, day, 0)))) return true;
    for (int hour = 0; hour < 24; ++hour)
      if (QFileInfo::exists(ArchivePath(archiveFolder, ArchiveFileName(ArchiveKind::Fast, day, hour)))) return true;
  }
  return false;
}

ReportScheduler::ReportScheduler(QString program, QString settingsFile, QObject* parent)
    : QObject(parent), program_(std::move(program)), settingsFile_(std::move(settingsFile)) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    Check();
    ArmTimer();
  });
}

ReportScheduler::~ReportScheduler() {
  if (!process_) return;
  process_->disconnect(this);
  if (!process_->waitForFinished(30000)) process_->kill();
  process_->waitForFinished(5000);
}

void ReportScheduler::Apply(const AppSettings& settings) {
  settings_ = settings;
  const ReportSettings& r = settings.Reports;
  if (!r.Day && !r.Week && !r.Month) {
    timer_.stop();
    return;
  }
  Check();
  ArmTimer();
}

void ReportScheduler::ArmTimer() {
  const qint64 ms = Clock::Now().toMSecsSinceEpoch();
  timer_.start(int(60000 - ms % 60000) + 1000);  // a second into the next minute
}

void ReportScheduler::Check() {
  const auto written = [this](const DueReport& r) { return QFileInfo::exists(ReportPdfPath(settings_, r.period, r.first)); };
  const auto recorded = [this](const DueReport& r) {
    const ReportDays days = ReportDaysOf(r.period, r.first);
    return ArchiveHasFiles(settings_.DatabaseDir, days.first, days.last);
  };
  for (const DueReport& r : DueReports(settings_.Reports, Clock::Now().toSecsSinceEpoch(), written, recorded))
    if (!queue_.contains(r) && !failed_.contains(r) && !(process_ && running_ == r)) queue_ << r;
  Next();
}

void ReportScheduler::Next() {
  if (process_ || queue_.isEmpty()) return;
  running_ = queue_.takeFirst();
  const QString out = ReportPdfPath(settings_, running_.period, running_.first);
  QDir().mkpath(QFileInfo(out).absolutePath());
  QStringList arguments{QStringLiteral("pdf"),      QStringLiteral("--period"), ReportPeriodName(running_.period),
                        QStringLiteral("--date"),   running_.first.toString(Qt::ISODate),
                        QStringLiteral("--settings"), settingsFile_,
                        QStringLiteral("--out"),    out};
  if (settings_.Reports.Mail) arguments << QStringLiteral("--mail");
  process_ = new QProcess(this);
  process_->setProcessChannelMode(QProcess::MergedChannels);
  const auto done = [this, out](bool ok) {
    const QString said = QString::fromUtf8(process_->readAll()).trimmed();
    if (ok)
      LogMessage(LogKind::Event, QStringLiteral("report written: ") + out);
    else {
      failed_ << running_;
      LogMessage(LogKind::Error, QStringLiteral("report %1 not written: %2")
                                     .arg(out, said.isEmpty() ? process_->errorString() : said));
    }
    process_->deleteLater();
    process_ = nullptr;
    emit Written(running_, ok);
    Next();
  };
  connect(process_, &QProcess::finished, this,
          [done](int code, QProcess::ExitStatus status) { done(status == QProcess::NormalExit && code == 0); });
  connect(process_, &QProcess::errorOccurred, this, [this, done](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) done(false);
  });
  process_->start(program_, arguments);
}
