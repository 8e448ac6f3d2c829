#include "archive/archive_text.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace ArchiveText {
namespace {
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
}  // namespace

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

bool StartsWithDate(std::string_view line, char separator) {
  int y = 0, m = 0, d = 0;
  return ParseDate(Trim(line.substr(0, line.find(separator))), &y, &m, &d);
}

bool IsNumberStart(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  for (char c : s)
    if (c != '.' && (c < '0' || c > '9')) return false;
  return s.find('.') == s.rfind('.');
}

}  // namespace ArchiveText
