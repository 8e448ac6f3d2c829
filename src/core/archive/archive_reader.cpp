#include "archive/archive_reader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <string_view>

#include "archive/archive_text.h"
#include "archive/local_keys.h"
#include "archive/station_row_reader.h"

namespace {
using namespace ArchiveText;

enum Column { kDatum, kCas, kIn1, kIn2, kIn3, kIn4, kColumnCount };
const char* const kColumnNames[kColumnCount] = {"DATUM", "CAS", "IN1", "IN2", "IN3", "IN4"};

std::string_view StationHeader(char separator) {
  return separator == ',' ? "DATUM,CAS,IN1,IN2,IN3,IN4" : "DATUM;CAS;IN1;IN2;IN3;IN4";
}

ArchiveFile ParseUnsorted(const QByteArray& data, const QString& fileName, ArchiveParse way) {
  ArchiveFile result;
  const std::string_view text(data.constData(), size_t(data.size()));
  size_t pos = 0;
  int lineNo = 0;
  auto nextLine = [&](std::string_view* line) {
    const size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) return false;  // no line end: not a finished row
    *line = text.substr(pos, nl - pos);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    pos = nl + 1;
    ++lineNo;
    return true;
  };
  auto fail = [&](const QString& what) {
    result.status = IoStatus::Fail(IoStatus::Code::BadContent,
                                   QStringLiteral("%1, line %2: %3").arg(fileName).arg(lineNo).arg(what));
    return result;
  };

  std::string_view header;
  if (!nextLine(&header)) return fail(QStringLiteral("no header line"));
  int columnOf[kColumnCount];
  std::fill(std::begin(columnOf), std::end(columnOf), -1);
  int columnCount = 0;
  const char headerSeparator = SeparatorOf(header);
  if (StartsWithDate(header, headerSeparator)) {
    // No header: the station's columns, and the first line is read again as a row.
    pos = 0;
    lineNo = 0;
    header = StationHeader(headerSeparator);
  }
  for (size_t start = 0;; ++columnCount) {
    size_t end = start;
    while (end < header.size() && header[end] != headerSeparator) ++end;
    const QByteArray name = QByteArray(Trim(header.substr(start, end - start)).data(),
                                       qsizetype(Trim(header.substr(start, end - start)).size()))
                                .toUpper();
    for (int c = 0; c < kColumnCount; ++c)
      if (name == kColumnNames[c] && columnOf[c] < 0) columnOf[c] = columnCount;
    if (end >= header.size()) break;
    start = end + 1;
  }
  ++columnCount;
  for (int c = 0; c < kColumnCount; ++c)
    if (columnOf[c] < 0)
      return fail(QStringLiteral("no column %1 in the header").arg(QLatin1String(kColumnNames[c])));

  // Where each wanted column's value goes while a line is split.
  std::vector<int> wanted(size_t(columnCount), -1);
  for (int c = 0; c < kColumnCount; ++c) wanted[size_t(columnOf[c])] = c;

  LocalKeys keys;
  std::string_view line;
  std::string_view field[kColumnCount];
  result.rows.reserve(size_t(data.size() / 40));
  // The station's own layout: its rows may take the quick way.
  bool stationLayout = way == ArchiveParse::Quick && columnCount == kColumnCount;
  for (int c = 0; c < kColumnCount; ++c) stationLayout = stationLayout && columnOf[c] == c;
  StationRowReader stationRows(headerSeparator);
  while (nextLine(&line)) {
    if (stationLayout) {
      ArchiveRow row;
      if (stationRows.Read(line, keys, &row)) {
        result.rows.push_back(row);
        continue;
      }
    }
    if (Trim(line).empty()) continue;
    int column = 0;
    size_t start = 0;
    const char separator = SeparatorOf(line);
    for (;;) {
      size_t end = start;
      while (end < line.size() && line[end] != separator) ++end;
      if (column < columnCount && wanted[size_t(column)] >= 0)
        field[wanted[size_t(column)]] = Trim(line.substr(start, end - start));
      ++column;
      if (end >= line.size()) break;
      start = end + 1;
    }
    if (column < columnCount) {
      result.interruptedLines.push_back(lineNo);  // cut off where the writing stopped
      continue;
    }

    ArchiveRow row;
    int y = 0, m = 0, d = 0;
    // The offending text, cut short: a broken file may hold anything on a line.
    auto quoted = [](std::string_view s) {
      return QString::fromLatin1(s.data(), qsizetype(std::min<size_t>(s.size(), 40)));
    };
    if (!ParseDate(field[kDatum], &y, &m, &d))
      return fail(QStringLiteral("DATUM \"%1\" is not a date d.M.yyyy").arg(quoted(field[kDatum])));
    if (!ParseTime(field[kCas], &row.timeOfDay))
      return fail(QStringLiteral("CAS \"%1\" is not a time H:mm:ss").arg(quoted(field[kCas])));
    bool cut = false;
    for (int j = 0; j < kIn4 - kIn1 + 1 && !cut; ++j)
      if (field[kIn1 + j].empty()) {
        row.values[size_t(j)] = kNoValue;  // an exported range leaves an inactive input empty
      } else if (!ParseNumber(field[kIn1 + j], &row.values[size_t(j)])) {
        cut = columnOf[kIn1 + j] == column - 1 && IsNumberStart(field[kIn1 + j]);
        if (!cut)
          return fail(QStringLiteral("IN%1 \"%2\" is not a number").arg(j + 1).arg(quoted(field[kIn1 + j])));
      }
    if (cut) {
      result.interruptedLines.push_back(lineNo);
      continue;
    }
    row.key = keys.Key(y, m, d, row.timeOfDay);
    result.rows.push_back(row);
  }
  return result;
}

}  // namespace

ArchiveFile ParseArchive(const QByteArray& data, const QString& fileName, ArchiveParse way) {
  ArchiveFile result = ParseUnsorted(data, fileName, way);
  // Ordered in time like the text driver's ORDER BY CAS, but by real time, so that the two passes of
  // the hour repeated in autumn stay apart; files are nearly always in order already.
  auto byTime = [](const ArchiveRow& a, const ArchiveRow& b) { return a.key < b.key; };
  if (!std::is_sorted(result.rows.begin(), result.rows.end(), byTime))
    std::stable_sort(result.rows.begin(), result.rows.end(), byTime);
  return result;
}

ArchiveFile ReadArchiveFile(const QString& path) {
  const QFileInfo info(path);
  ArchiveFile result;
  // A pipe would never end and a device never stop: only regular files of a sane size are read.
  if (!info.isFile()) {
    result.status = IoStatus::Fail(IoStatus::Code::NotRegular,
                                   QStringLiteral("%1: not a regular file").arg(info.fileName()));
    return result;
  }
  if (info.size() > kMaxArchiveFileBytes) {
    result.status = IoStatus::Fail(
        IoStatus::Code::TooLarge,
        QStringLiteral("%1: larger than %2 MB").arg(info.fileName()).arg(kMaxArchiveFileBytes >> 20));
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.status = IoStatus::Fail(IoStatus::Code::Unreadable,
                                   QStringLiteral("%1: %2").arg(info.fileName(), file.errorString()));
    return result;
  }
  // One buffer per thread, used again for every file: fresh memory per file would cost page
  // faults that, on several threads at once, wait for each other in the kernel.
  thread_local QByteArray buffer;
  const qint64 size = file.size();
  buffer.resize(qsizetype(size));
  const qint64 read = file.read(buffer.data(), size);
  if (read < 0) {
    result.status = IoStatus::Fail(IoStatus::Code::Unreadable,
                                   QStringLiteral("%1: %2").arg(info.fileName(), file.errorString()));
    return result;
  }
  buffer.resize(qsizetype(read));
  ArchiveFile parsed = ParseArchive(buffer, info.fileName());
  if (buffer.capacity() > (qsizetype(4) << 20)) buffer = QByteArray();  // an odd large file is not kept
  return parsed;
}
