#pragma once

#include <QList>
#include <QObject>
#include <QProcess>
#include <QSet>
#include <QTimer>
#include <functional>

#include "config/app_settings.h"
#include "report/report.h"

// When the reports are written: a period's report at the first full minute after its end in local
// time (a day at 0:01 of the next day, also after a 23- or 25-hour day). Periods the recorder was
// not running for are written at its next start, back to the last one written, at most
// kCatchUpPeriods of each kind and none without a file of the archive.

struct DueReport {
  ReportPeriod period;
  QDate first;  // the period's first day
  bool operator==(const DueReport&) const = default;
};

inline constexpr int kCatchUpPeriods = 7;

// The folder the reports go to, and the PDF of the period holding `day` in it.
QString ReportFolder(const AppSettings& settings);
QString ReportPdfPath(const AppSettings& settings, ReportPeriod period, const QDate& day);
// The reports due at `now` (seconds since the epoch), oldest first: `written` tells a report that
// is in the folder, `recorded` a period the archive has a file of.
QList<DueReport> DueReports(const ReportSettings& settings, qint64 now,
                            const std::function<bool(const DueReport&)>& written,
                            const std::function<bool(const DueReport&)>& recorded);
// Whether the archive folder holds a file of the days (either archive).
bool ArchiveHasFiles(const QString& archiveFolder, const QDate& first, const QDate& last);

// Runs the schedule in a recording station: each minute the reports due are written, one after
// another, by the report program in a process of its own, so that measuring never waits for them.
class ReportScheduler : public QObject {
  Q_OBJECT
 public:
  // `program`: kestrilon-report; `settingsFile`: what it reads.
  ReportScheduler(QString program, QString settingsFile, QObject* parent = nullptr);
  ~ReportScheduler() override;  // lets a report being written finish (a few seconds at most)
  void Apply(const AppSettings& settings);  // starts (some period on) or stops the schedule
  void Check();                             // writes what is due now (the timer calls it)
  bool Busy() const { return process_ != nullptr || !queue_.isEmpty(); }

 signals:
  void Written(const DueReport& report, bool ok);

 private:
  void Next();
  void ArmTimer();

  QString program_;
  QString settingsFile_;
  AppSettings settings_;
  QTimer timer_;
  QList<DueReport> queue_;
  QList<DueReport> failed_;  // not tried again until the next start
  QProcess* process_ = nullptr;
  DueReport running_{};
};
