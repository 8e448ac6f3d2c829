#include "archive/station_row_reader.h"

#include <cstdint>
#include <cstring>

#include "archive/archive_text.h"
#include "archive/local_keys.h"

bool StationRowReader::Read(std::string_view line, LocalKeys& keys, ArchiveRow* row) {
  const char* p = line.data();
  const char* const end = p + line.size();
  const char* const dateEnd = static_cast<const char*>(std::memchr(p, separator_, size_t(end - p)));
  if (!dateEnd || dateEnd - p > 10) return false;
  const std::string_view date(p, size_t(dateEnd - p));
  if (!dateKnown_ || date != std::string_view(lastDate_, lastDateSize_)) {
    int y = 0, m = 0, d = 0;
    if (!ArchiveText::ParseDate(date, &y, &m, &d)) return false;
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

bool StationRowReader::Expect(const char*& p, const char* end, char c) {
  if (p == end || *p != c) return false;
  ++p;
  return true;
}

bool StationRowReader::Digits(const char*& p, const char* end, int least, int most, int* value) {
  int v = 0, n = 0;
  for (; p != end && n < most && unsigned(*p - '0') < 10; ++p, ++n) v = v * 10 + (*p - '0');
  *value = v;
  return n >= least && (p == end || unsigned(*p - '0') >= 10);
}

// At most 11 digits before the point and 4 after it: the mantissa stays exact in a double and one
// division gives the correctly rounded value, as on the general way.
bool StationRowReader::Number(const char*& p, const char* end, double* value) {
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
