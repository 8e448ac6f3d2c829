#include "history/range_history.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QElapsedTimer>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include "archive/archive_prefetch.h"
#include "archive/archive_writer.h"
#include "history/consumption.h"

namespace {
constexpr int kPumpEveryRows = 101;
constexpr qint64 kProgressEveryMs = 100;  // repainting the progress costs more than a file
constexpr int kWaitingEverySteps = 256;   // events run while the files of a long range are listed
// Files read ahead of the walk (a few MB of rows): the readers keep busy while the rows of a slow
// stretch become points.
constexpr int kFilesAhead = 32;

// A local calendar day and clock hour: one archive file's place. The walk steps through these,
// never through elapsed time: the hour a spring clock change skips is a missing file, the one
// autumn repeats is one file, read once.
struct LocalHour {
  QDate day;
  int hour = 0;
};

// The name of the archive file of `kind` for a local day and clock hour; empty for an invalid day
// or a kind other than 0 and 1.
QString ArchiveNameOf(int kind, const QDate& day, int hour) {
  const std::optional<ArchiveKind> archive = ArchiveKindOfTypDB(kind);
  if (!day.isValid() || !archive) return {};
  return ArchiveFileName(*archive, day, hour);
}
}  // namespace

std::optional<ArchiveKind> ArchiveKindOfTypDB(int typDB) {
  if (typDB == 0) return ArchiveKind::Slow;
  if (typDB == 1) return ArchiveKind::Fast;
  return std::nullopt;
}

QString FindArchiveFile(const QString& folder, int kind, const QDate& day, int hour) {
  const QString name = ArchiveNameOf(kind, day, hour);
  return !name.isEmpty() && QFileInfo::exists(ArchivePath(folder, name)) ? name : QStringLiteral("0");
}

void RangeSink::AddRows(std::span<const ArchiveRow> rows, const std::array<bool, kInputCount>& active,
                        std::span<const double> totals) {
  for (size_t r = 0; r < rows.size(); ++r) {
    const ArchiveRow& row = rows[r];
    for (int j = 0; j < kInputCount; ++j)
      if (active[size_t(j)] && !std::isnan(row.values[size_t(j)])) Add(j, row.key, row.values[size_t(j)]);
    AddRow(row.key, row.values, totals[r]);
  }
}

IoStatus ReadArchiveRange(const RangeRequest& request, const RangeHooks& hooks, RangeSink& sink) {
  const IoStatus cancelled = IoStatus::Fail(IoStatus::Code::Cancelled, QStringLiteral("cancelled"));
  auto advance = [kind = request.kind](LocalHour& at) {
    if (ArchiveKindOfTypDB(kind) == ArchiveKind::Fast && ++at.hour < 24) return;
    at = {at.day.addDays(1), 0};
  };
  // The end is the last day as a whole.
  auto withinRange = [&request](const LocalHour& at) { return at.day <= request.lastDay(); };
  auto find = [&request](const LocalHour& at) {
    return FindArchiveFile(request.folder, request.kind, at.day, at.hour);
  };

  // The files as they are now, read ahead while the rows become points. One listing of the folder
  // instead of a look-up per hour, with events running now and then: a year holds 8,760 hours. The
  // walk below still looks for each file itself; one missing here is read when its turn comes.
  int steps = 0;
  auto letEventsRun = [&] {
    if (++steps % kWaitingEverySteps == 0 && hooks.waiting) hooks.waiting();
  };
  QSet<QString> present;
  for (QDirIterator entries(request.folder, QDir::Files); entries.hasNext(); letEventsRun())
    present.insert(QFileInfo(entries.next()).fileName());
  QStringList files;
  for (LocalHour at{request.firstDay, 0}; withinRange(at); advance(at), letEventsRun())
    if (const QString name = ArchiveNameOf(request.kind, at.day, at.hour); !name.isEmpty() && present.contains(name))
      files << ArchivePath(request.folder, name);
  const int filesTotal = int(files.size());
  ArchivePrefetcher prefetcher(files, kFilesAhead);
  int filesRead = 0;
  if (hooks.progress) hooks.progress(0, filesTotal);

  ConsumptionTotal total(request.consumptionInHours);
  std::vector<double> totals;  // of a run of rows
  int rowCounter = 0;  // over the whole generation, not per file
  QElapsedTimer sinceProgress;
  sinceProgress.start();
  for (LocalHour cursor{request.firstDay, 0}; withinRange(cursor); advance(cursor)) {
    const QString name = find(cursor);
    if (name == QLatin1String("0")) continue;
    const ArchiveFile file = prefetcher.Take(ArchivePath(request.folder, name), hooks.waiting);
    if (hooks.cancelled && hooks.cancelled()) return cancelled;
    if (filesRead == 0) sink.Reserve(file.rows.size() * size_t(filesTotal));  // most files hold about as many rows
    total.StartFile();
    // The rows go to the sink in runs that end where the events run.
    for (size_t begin = 0; begin < file.rows.size();) {
      const size_t end = std::min(file.rows.size(), begin + size_t(kPumpEveryRows - rowCounter));
      const std::span<const ArchiveRow> run(file.rows.data() + begin, end - begin);
      totals.clear();
      for (const ArchiveRow& row : run) {
        if (request.consumption && !std::isnan(row.values[0]) && total.Add(row.key, row.values[0]))
          sink.Add(kConsumptionSeries, row.key, total.Total());
        totals.push_back(request.consumption ? total.Total() : kNoValue);
      }
      sink.AddRows(run, request.active, totals);
      rowCounter += int(run.size());
      begin = end;
      if (rowCounter < kPumpEveryRows) continue;
      rowCounter = 0;
      // Timers, repaints and Esc run here. This generation's state lives in locals and the sink,
      // consistent after every run; a cancel is seen right after.
      if (hooks.pump) hooks.pump();
      if (hooks.cancelled && hooks.cancelled()) return cancelled;
    }
    if (hooks.interrupted)
      for (int line : file.interruptedLines) hooks.interrupted(name, line);
    if (!file.status.IsOk()) return file.status;
    if ((++filesRead == filesTotal || sinceProgress.elapsed() >= kProgressEveryMs) && hooks.progress) {
      hooks.progress(filesRead, filesTotal);
      sinceProgress.restart();
    }
  }
  return {};
}
