// kestrilon-report: the consumption ledger (and later the reports) from the archive, without windows.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "config/app_settings.h"
#include "config/settings_schema.h"
#include "config/station_paths.h"
#include "ledger/ledger.h"
#include "ledger/ledger_source.h"
#include "station/clock.h"

namespace {
constexpr int kExitBadArguments = 2;

int Fail(const QString& message) {
  std::fprintf(stderr, "kestrilon-report: %s\n", qPrintable(message));
  return kExitBadArguments;
}

std::optional<QDate> Day(const QString& text) {
  const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
  return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}
}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kestrilon-report"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KESTRILON_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Kestrilon4 ledgers from the archive, without windows.\n\n"
      "  kestrilon-report ledger --from 2026-11-01 --to 2026-11-30 --period day\n\n"
      "writes the consumption ledger as CSV on standard output: per hour, shift, day, week, month or\n"
      "year of local time, the consumption of input 1 with its cost and leakage, the coverage, the\n"
      "inputs' minimum, mean and maximum and the dew point's time above its class. Files the reader\n"
      "rejects are named on standard error and left out (their time is missing time).\n\n"
      "Exit codes: 0 written; 2 bad arguments or settings."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("ledger"));
  const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("First day, yyyy-mm-dd."),
                                QStringLiteral("DAY"));
  const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("Last day, yyyy-mm-dd (included)."),
                              QStringLiteral("DAY"));
  const QCommandLineOption period(QStringLiteral("period"),
                                  QStringLiteral("hour, shift, day, week, month or year."),
                                  QStringLiteral("PERIOD"));
  const QCommandLineOption archive(
      QStringLiteral("archive"),
      QStringLiteral("fast or slow (default: fast, slow when the range has no fast file)."),
      QStringLiteral("ARCHIVE"));
  const QCommandLineOption settings(QStringLiteral("settings"),
                                    QStringLiteral("The settings file (default: the station's)."),
                                    QStringLiteral("FILE"));
  for (const QCommandLineOption& o : {from, to, period, archive, settings}) parser.addOption(o);
  parser.process(app);

  if (parser.positionalArguments() != QStringList{QStringLiteral("ledger")})
    return Fail(QStringLiteral("the command is \"ledger\" (see --help)"));
  const std::optional<QDate> first = Day(parser.value(from)), last = Day(parser.value(to));
  if (!first || !last) return Fail(QStringLiteral("--from and --to take days as yyyy-mm-dd"));
  if (*last < *first) return Fail(QStringLiteral("--to is before --from"));
  const std::optional<LedgerPeriod> by = LedgerPeriodNamed(parser.value(period));
  if (!by) return Fail(QStringLiteral("--period is one of hour, shift, day, week, month, year"));
  std::optional<ArchiveKind> kind;
  if (parser.isSet(archive)) {
    if (parser.value(archive) == QLatin1String("fast"))
      kind = ArchiveKind::Fast;
    else if (parser.value(archive) == QLatin1String("slow"))
      kind = ArchiveKind::Slow;
    else
      return Fail(QStringLiteral("--archive is fast or slow"));
  }
  const QString path = parser.isSet(settings) ? parser.value(settings) : ThisStationPaths().settingsFile;
  if (parser.isSet(settings) && !QFileInfo(path).isFile())
    return Fail(QStringLiteral("%1: no settings file").arg(path));
  AppSettings s;
  PlainIntervals timers;
  QString unreadable;
  SettingsSchema::ReadAll(SettingsFile(path), s, timers,
                          [&](const std::exception& e) { unreadable = QString::fromLocal8Bit(e.what()); });
  if (!unreadable.isEmpty()) return Fail(unreadable);

  const ArchiveLedger result =
      BuildArchiveLedger(s, kind, *by, *first, *last, Clock::Now().toSecsSinceEpoch());
  if (!result.ledger) return Fail(result.settingsProblem);
  for (const QString& rejected : result.rejected) std::fprintf(stderr, "skipped %s\n", qPrintable(rejected));
  const QByteArray csv = LedgerCsv(*result.ledger);
  std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
