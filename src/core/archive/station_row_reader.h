#pragma once

#include <cstddef>
#include <string_view>

#include "archive/archive_reader.h"

class LocalKeys;

// The rows as the station writes them, read without splitting the line first: d.M.yyyy, H:mm:ss
// and four numbers [-]digits[.1 to 4 digits], separated by `separator`. Anything else (blanks,
// quotes, exponents, long numbers, empty fields) returns false and the line goes the general way;
// both ways give the very same row. The date of the previous line is kept, as an hour's rows share it.
class StationRowReader {
 public:
  explicit StationRowReader(char separator) : separator_(separator) {}

  bool Read(std::string_view line, LocalKeys& keys, ArchiveRow* row);

 private:
  static bool Expect(const char*& p, const char* end, char c);
  static bool Digits(const char*& p, const char* end, int least, int most, int* value);
  static bool Number(const char*& p, const char* end, double* value);

  const char separator_;
  char lastDate_[10] = {};
  size_t lastDateSize_ = 0;
  bool dateKnown_ = false;  // an empty date field is no date of a previous line
  int y_ = 0, m_ = 0, d_ = 0;
};
