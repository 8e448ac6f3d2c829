#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "io/io_status.h"

// The station's journal, below the archive folder: Events/yyyymm.log (alarms, measuring, the link,
// settings written, the program's start and end) and Errors/yyyymm.log (every failure handed to
// LogMessage). UTF-8, one line per entry: the local time in ISO 8601 with its UTC offset, a tab,
// the kind, a tab, the input (1-4, or empty), a tab, the text. Each line is appended and the file
// closed, as archive rows are; the station never rotates or truncates a journal file.

enum class JournalFile { Events, Errors };

// Kinds of the Events file (the Errors file's lines are of kind "error").
namespace JournalKind {
inline constexpr char kAlarmRaised[] = "alarm-raised";
inline constexpr char kAlarmAcknowledged[] = "alarm-acknowledged";
inline constexpr char kAlarmCleared[] = "alarm-cleared";
inline constexpr char kMeasuringStarted[] = "measuring-started";
inline constexpr char kMeasuringStopped[] = "measuring-stopped";
inline constexpr char kLinkLost[] = "link-lost";
inline constexpr char kLinkRestored[] = "link-restored";
inline constexpr char kSettingsWritten[] = "settings-written";
inline constexpr char kProgramStarted[] = "program-started";
inline constexpr char kProgramEnded[] = "program-ended";
inline constexpr char kMessage[] = "message";  // any other event handed to LogMessage
inline constexpr char kError[] = "error";
}  // namespace JournalKind

struct JournalEntry {
  QDateTime at;  // local time
  QString kind;
  int input = 0;  // 0: the station
  QString text;
  bool operator==(const JournalEntry&) const = default;
};

// "2026-10-25T02:30:00+01:00\talarm-raised\t1\t..." (tabs and line ends in the text become blanks).
QString JournalLine(const JournalEntry& entry);
std::optional<JournalEntry> ParseJournalLine(const QString& line);

// <folder>/Events/202612.log for an entry of December 2026 (local time).
QString JournalPath(const QString& archiveFolder, JournalFile file, const QDate& month);
IoStatus AppendJournal(const QString& archiveFolder, JournalFile file, const JournalEntry& entry);

// The entries of one month's file, in file order; lines that do not read are left out.
QList<JournalEntry> ReadJournal(const QString& archiveFolder, JournalFile file, const QDate& month);

// Where the entries wait that could not be written into the archive folder (replaced by a file,
// unwritable, a disk gone): below the station's state folder, one folder per archive folder. They
// go back into the archive folder, in their order, before the next entry that it takes.
QString FallbackJournalFolder(const QString& archiveFolder);

// The journal of this process: LogMessage and the station write into the archive folder set here
// (empty: nowhere), or into its fallback. Safe from any thread.
void SetJournalFolder(const QString& archiveFolder);
void JournalEvent(const QString& kind, int input, const QString& text, const QDateTime& at = {});  // at: now
void JournalError(const QString& text);
