#pragma once

#include <string_view>

// The fields of an archive line, read without allocating: the general way of the reader and the
// pieces the quick way shares with it.
namespace ArchiveText {

// A line uses one separator: the first ";" or "," on it (DATUM, the first field, holds neither).
// A comma after it is then part of a field, so "1,5" under ";" is not read as two numbers.
char SeparatorOf(std::string_view line);
// Without blanks, tabs and quotes around it (and a line's CR).
std::string_view Trim(std::string_view s);
// d.M.yyyy, a date that exists.
bool ParseDate(std::string_view s, int* y, int* m, int* d);
// H:mm:ss (hours 0-23, minutes and seconds 0-59) to seconds of the day.
bool ParseTime(std::string_view s, int* seconds);
// A finite decimal number; the archive's own form is read exactly.
bool ParseNumber(std::string_view s, double* value);
// True when the line's first field is a date d.M.yyyy: a row, not a header.
bool StartsWithDate(std::string_view line, char separator);
// What is left of a number whose writing stopped after its sign or its point ("-", "-.", "."):
// the only cut a line's last field can show without reading as a number.
bool IsNumberStart(std::string_view s);

}  // namespace ArchiveText
