// kestrilon-report: the consumption ledger and the reports from the archive, without windows. The
// reports are drawn on Qt's offscreen platform: no display server is ever asked for.
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "alarms/alarm_mailer.h"
#include "config/app_settings.h"
#include "config/settings_schema.h"
#include "config/station_paths.h"
#include "ledger/ledger.h"
#include "ledger/ledger_source.h"
#include "render/report_page.h"
#include "report/report.h"
#include "report/report_schedule.h"
#include "station/clock.h"

namespace {
constexpr int kExitNotWritten = 1;
constexpr int kExitBadArguments = 2;
constexpr int kExitNotMailed = 4;

int Fail(const QString& message) {
  std::fprintf(stderr, "kestrilon-report: %s\n", qPrintable(message));
  return kExitBadArguments;
}

std::optional<QDate> Day(const QString& text) {
  const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
  return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

// The report's mail: its title, the key figures and both files.
AlarmMail ReportMail(const Report& report, const QString& pdfPath, const QString& csvPath) {
  AlarmMail mail{QStringLiteral("[%1] %2").arg(report.station, ReportTitle(report)), ReportTitle(report) + QLatin1Char('\n'), {}};
  for (const auto& [path, type] : {std::pair{pdfPath, QByteArray("application/pdf")}, std::pair{csvPath, QByteArray("text/csv")}}) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) mail.attachments << MailAttachment{QFileInfo(path).fileName(), type, file.readAll()};
  }
  return mail;
}

int WriteReport(const AppSettings& s, ReportPeriod period, const QDate& day, QString out, bool mail) {
  const ReportResult result = BuildReport(s, period, day, Clock::Now().toSecsSinceEpoch());
  if (!result.report) return Fail(result.problem);
  if (out.isEmpty()) out = ReportPdfPath(s, period, day);
  QDir().mkpath(QFileInfo(out).absolutePath());
  for (const QString& rejected : result.report->rejected) std::fprintf(stderr, "skipped %s\n", qPrintable(rejected));
  if (const IoStatus saved = SaveReport(*result.report, out); !saved.IsOk()) {
    std::fprintf(stderr, "kestrilon-report: %s\n", qPrintable(saved.text));
    return kExitNotWritten;
  }
  const QString csv = ReportCsvPath(out);
  std::printf("%s\n%s\n", qPrintable(out), qPrintable(csv));
  if (!mail) return 0;
  const QString problem = SendMail(WithOutsidePassword(s.Mail), ReportMail(*result.report, out, csv));
  if (problem.isEmpty()) return 0;
  std::fprintf(stderr, "kestrilon-report: %s\n", qPrintable(problem));
  return kExitNotMailed;
}
}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Cron and systemd set no XDG_RUNTIME_DIR and Qt would complain on standard error, which is for
  // this program's own messages: a private one for this run (made with mode 0700, as Qt wants).
  const QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  QGuiApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kestrilon-report"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KESTRILON_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Kestrilon4 ledgers and reports from the archive, without windows.\n\n"
      "  kestrilon-report ledger --from 2026-11-01 --to 2026-11-30 --period day\n\n"
      "writes the consumption ledger as CSV on standard output: per hour, shift, day, week, month or\n"
      "year of local time, the consumption of input 1 with its cost and leakage, the coverage, the\n"
      "inputs' minimum, mean and maximum and the dew point's time above its class. Files the reader\n"
      "rejects are named on standard error and left out (their time is missing time).\n\n"
      "  kestrilon-report pdf --period month --date 2026-11-30 [--out FILE] [--mail]\n\n"
      "writes the report of the day, week or month that holds the date: an A4 PDF and a CSV of the\n"
      "same tables beside it (default: <Folder of [REPORTS]>/month-2026-11.pdf), in the settings'\n"
      "language; --mail sends both through the server of [MAIL]. The paths written are printed.\n\n"
      "Exit codes: 0 written; 1 not written; 2 bad arguments or settings; 4 written, not mailed."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("ledger or pdf"));
  const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("ledger: first day, yyyy-mm-dd."),
                                QStringLiteral("DAY"));
  const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("ledger: last day, yyyy-mm-dd (included)."),
                              QStringLiteral("DAY"));
  const QCommandLineOption period(QStringLiteral("period"),
                                  QStringLiteral("ledger: hour, shift, day, week, month or year; pdf: day, week or month."),
                                  QStringLiteral("PERIOD"));
  const QCommandLineOption archive(
      QStringLiteral("archive"),
      QStringLiteral("ledger: fast or slow (default: fast, slow when the range has no fast file)."),
      QStringLiteral("ARCHIVE"));
  const QCommandLineOption date(QStringLiteral("date"), QStringLiteral("pdf: a day of the period, yyyy-mm-dd."),
                                QStringLiteral("DAY"));
  const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("pdf: the PDF to write."), QStringLiteral("FILE"));
  const QCommandLineOption mail(QStringLiteral("mail"), QStringLiteral("pdf: mail the report."));
  const QCommandLineOption settings(QStringLiteral("settings"),
                                    QStringLiteral("The settings file (default: the station's)."),
                                    QStringLiteral("FILE"));
  for (const QCommandLineOption& o : {from, to, period, archive, date, out, mail, settings}) parser.addOption(o);
  // Bad options are bad arguments (exit 2), as the rest of the command line.
  if (!parser.parse(QCoreApplication::arguments())) return Fail(parser.errorText());
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

  const QStringList command = parser.positionalArguments();
  const bool pdf = command == QStringList{QStringLiteral("pdf")};
  if (!pdf && command != QStringList{QStringLiteral("ledger")})
    return Fail(QStringLiteral("the command is \"ledger\" or \"pdf\" (see --help)"));
  const QString path = parser.isSet(settings) ? parser.value(settings) : ThisStationPaths().settingsFile;
  if (parser.isSet(settings) && !QFileInfo(path).isFile())
    return Fail(QStringLiteral("%1: no settings file").arg(path));
  AppSettings s;
  PlainIntervals timers;
  QString unreadable;
  SettingsSchema::ReadAll(SettingsFile(path), s, timers,
                          [&](const std::exception& e) { unreadable = QString::fromLocal8Bit(e.what()); });
  if (!unreadable.isEmpty()) return Fail(unreadable);

  if (pdf) {
    const std::optional<ReportPeriod> reportPeriod = ReportPeriodNamed(parser.value(period));
    if (!reportPeriod) return Fail(QStringLiteral("--period is one of day, week, month"));
    const std::optional<QDate> day = Day(parser.value(date));
    if (!day) return Fail(QStringLiteral("--date takes a day as yyyy-mm-dd"));
    return WriteReport(s, *reportPeriod, *day, parser.value(out), parser.isSet(mail));
  }
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
  const ArchiveLedger result =
      BuildArchiveLedger(s, kind, *by, *first, *last, Clock::Now().toSecsSinceEpoch());
  if (!result.ledger) return Fail(result.settingsProblem);
  for (const QString& rejected : result.rejected) std::fprintf(stderr, "skipped %s\n", qPrintable(rejected));
  const QByteArray csv = LedgerCsv(*result.ledger);
  std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
  return std::fflush(stdout) == 0 ? 0 : kExitNotWritten;
}
