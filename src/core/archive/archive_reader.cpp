#include "archive/archive_reader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

// A line uses one separator: the first ";" or "," on it (DATUM, the first field, holds neither).
// A comma after it is then part of a field, so "1,5" under ";" is not read as two numbers.
char SeparatorOf(std::string_view line) {
  const size_t at = line.find_first_of(";,");
  return at == std::string_view::npos ? ';' : line[at];
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '"')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '"' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Reads a non-negative decimal integer; false when there are no digits.
bool TakeInt(std::string_view& s, int* value) {
  size_t i = 0;
  int v = 0;
  while (i < s.size() && i < 9 && s[i] >= '0' && s[i] <= '9') v = v * 10 + (s[i++] - '0');
  if (i == 0) return false;
  *value = v;
  s.remove_prefix(i);
  return true;
}

bool TakeChar(std::string_view& s, char c) {
  if (s.empty() || s.front() != c) return false;
  s.remove_prefix(1);
  return true;
}

bool ParseDate(std::string_view s, int* y, int* m, int* d) {
  return TakeInt(s, d) && TakeChar(s, '.') && TakeInt(s, m) && TakeChar(s, '.') && TakeInt(s, y) &&
         s.empty() && QDate::isValid(*y, *m, *d);
}

bool ParseTime(std::string_view s, int* seconds) {
  int h = 0, mi = 0, se = 0;
  if (!(TakeInt(s, &h) && TakeChar(s, ':') && TakeInt(s, &mi) && TakeChar(s, ':') && TakeInt(s, &se) &&
        s.empty()))
    return false;
  if (h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 || se > 59) return false;
  *seconds = h * 3600 + mi * 60 + se;
  return true;
}

bool ParseNumber(std::string_view s, double* value) {
  // The archive's own form, [-]digits[.digits] with at most 15 digits, is read exactly by one
  // division of two integers (both exact in a double, and IEEE division rounds correctly).
  static const double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  size_t i = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (negative || (!s.empty() && s[0] == '+')) i = 1;
  int64_t mantissa = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      // Past 15 digits the quick path is not exact (and 19 would overflow): only count them.
      if (digits < 15) mantissa = mantissa * 10 + (c - '0');
      ++digits;
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (i == s.size() && digits > 0 && digits <= 15) {
    const double v = double(mantissa) / kTens[decimals];
    *value = negative ? -v : v;
    return true;
  }
  // Anything else (exponents, long numbers) goes the general way.
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  // "nan" and "inf" are no numbers of an archive.
  return ec == std::errc() && ptr == s.data() + s.size() && std::isfinite(*value);
}

// Local date and time of day to seconds since the epoch. The start of each local hour is looked up
// once per hour: rows of one file share it, and the time zone rules keep summer time right. The hour
// that autumn's clock change repeats holds two passes in file order, the second starting where CAS
// goes back: the second pass is one hour later in real time.
class LocalKeys {
 public:
  double Key(int y, int m, int d, int timeOfDay) {
    const int hour = timeOfDay / 3600;
    const qint64 id = ((qint64(y) * 13 + m) * 32 + d) * 24 + hour;
    if (id != id_) {
      id_ = id;
      LookUpHour(QDate(y, m, d), hour);
    }
    qint64 key = base_ + timeOfDay % 3600;
    if (repeated_) {
      if (id != passHour_) {  // the first row of this repeated hour in the file
        passHour_ = id;
        secondPass_ = false;
      } else if (timeOfDay < lastInPass_) {
        secondPass_ = true;
      }
      lastInPass_ = timeOfDay;
      if (secondPass_) key += 3600;
    }
    return double(key);
  }

 private:
  void LookUpHour(const QDate& date, int hour) {
    auto isThisHour = [&](qint64 secs) {
      const QDateTime local = QDateTime::fromSecsSinceEpoch(secs);
      return local.date() == date && local.time().hour() == hour;
    };
    base_ = QDateTime(date, QTime(hour, 0)).toSecsSinceEpoch();
    if (isThisHour(base_ - 3600)) base_ -= 3600;  // the zone gave the later of the two
    repeated_ = isThisHour(base_ + 3600);
  }

  qint64 id_ = -1;
  qint64 base_ = 0;
  bool repeated_ = false;
  qint64 passHour_ = -1;
  int lastInPass_ = 0;
  bool secondPass_ = false;
};

// The rows as the station writes them, read without splitting the line first: d.M.yyyy, H:mm:ss
// and four numbers [-]digits[.1 to 4 digits], separated by `separator`. Anything else (blanks,
// quotes, exponents, long numbers, empty fields) returns false and the line goes the general way;
// both ways give the very same row. The date of the previous line is kept, as an hour's rows share it.
class StationRowReader {
 public:
  explicit StationRowReader(char separator) : separator_(separator) {}

  bool Read(std::string_view line, LocalKeys& keys, ArchiveRow* row) {
    const char* p = line.data();
    const char* const end = p + line.size();
    const char* const dateEnd = static_cast<const char*>(std::memchr(p, separator_, size_t(end - p)));
    if (!dateEnd || dateEnd - p > 10) return false;
    const std::string_view date(p, size_t(dateEnd - p));
    if (!dateKnown_ || date != std::string_view(lastDate_, lastDateSize_)) {
      int y = 0, m = 0, d = 0;
      if (!ParseDate(date, &y, &m, &d)) return false;
      std::memcpy(lastDate_, date.data(), date.size());
      lastDateSize_ = date.size();
      dateKnown_ = true;
      y_ = y, m_ = m, d_ = d;
    }
    p = dateEnd + 1;
    int h = 0, mi = 0, se = 0;
    if (!Digits(p, end, 1, 2, &h) || !Expect(p, end, ':') || !Digits(p, end, 2, 2, &mi) || !Expect(p, end, ':') ||
        !Digits(p, end, 2, 2, &se) || h > 23 || mi > 59 || se > 59)
      return false;
    row->timeOfDay = h * 3600 + mi * 60 + se;
    for (double& value : row->values)
      if (!Expect(p, end, separator_) || !Number(p, end, &value)) return false;
    if (p != end) return false;
    row->key = keys.Key(y_, m_, d_, row->timeOfDay);
    return true;
  }

 private:
  static bool Expect(const char*& p, const char* end, char c) {
    if (p == end || *p != c) return false;
    ++p;
    return true;
  }
  static bool Digits(const char*& p, const char* end, int least, int most, int* value) {
    int v = 0, n = 0;
    for (; p != end && n < most && unsigned(*p - '0') < 10; ++p, ++n) v = v * 10 + (*p - '0');
    *value = v;
    return n >= least && (p == end || unsigned(*p - '0') >= 10);
  }
  // At most 11 digits before the point and 4 after it: the mantissa stays exact in a double and
  // one division gives the correctly rounded value, as on the general way.
  static bool Number(const char*& p, const char* end, double* value) {
    static const double kTens[] = {1e0, 1e1, 1e2, 1e3, 1e4};
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    int64_t mantissa = 0;
    int digits = 0;
    for (; p != end && unsigned(*p - '0') < 10 && digits <= 11; ++p, ++digits) mantissa = mantissa * 10 + (*p - '0');
    if (digits == 0 || digits > 11) return false;
    int decimals = 0;
    if (p != end && *p == '.') {
      for (++p; p != end && unsigned(*p - '0') < 10 && decimals <= 4; ++p, ++decimals)
        mantissa = mantissa * 10 + (*p - '0');
      if (decimals == 0 || decimals > 4) return false;
    }
    const double v = double(mantissa) / kTens[decimals];
    *value = negative ? -v : v;
    return true;
  }

  const char separator_;
  char lastDate_[10] = {};
  size_t lastDateSize_ = 0;
  bool dateKnown_ = false;  // an empty date field is no date of a previous line
  int y_ = 0, m_ = 0, d_ = 0;
};

enum Column { kDatum, kCas, kIn1, kIn2, kIn3, kIn4, kColumnCount };
const char* const kColumnNames[kColumnCount] = {"DATUM", "CAS", "IN1", "IN2", "IN3", "IN4"};

// True when the line's first field is a date d.M.yyyy: a row, not a header.
bool StartsWithDate(std::string_view line, char separator) {
  int y = 0, m = 0, d = 0;
  return ParseDate(Trim(line.substr(0, line.find(separator))), &y, &m, &d);
}

std::string_view StationHeader(char separator) {
  return separator == ',' ? "DATUM,CAS,IN1,IN2,IN3,IN4" : "DATUM;CAS;IN1;IN2;IN3;IN4";
}

// What is left of a number whose writing stopped after its sign or its point ("-", "-.", "."):
// the only cut a line's last field can show without reading as a number.
bool IsNumberStart(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  for (char c : s)
    if (c != '.' && (c < '0' || c > '9')) return false;
  return s.find('.') == s.rfind('.');
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
    result.error = QStringLiteral("%1, line %2: %3").arg(fileName).arg(lineNo).arg(what);
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
    result.error = QStringLiteral("%1: not a regular file").arg(info.fileName());
    return result;
  }
  if (info.size() > kMaxArchiveFileBytes) {
    result.error = QStringLiteral("%1: larger than %2 MB").arg(info.fileName()).arg(kMaxArchiveFileBytes >> 20);
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = QStringLiteral("%1: %2").arg(info.fileName(), file.errorString());
    return result;
  }
  // One buffer per thread, used again for every file: fresh memory per file would cost page
  // faults that, on several threads at once, wait for each other in the kernel.
  thread_local QByteArray buffer;
  const qint64 size = file.size();
  buffer.resize(qsizetype(size));
  const qint64 read = file.read(buffer.data(), size);
  if (read < 0) {
    result.error = QStringLiteral("%1: %2").arg(info.fileName(), file.errorString());
    return result;
  }
  buffer.resize(qsizetype(read));
  ArchiveFile parsed = ParseArchive(buffer, info.fileName());
  if (buffer.capacity() > (qsizetype(4) << 20)) buffer = QByteArray();  // an odd large file is not kept
  return parsed;
}
