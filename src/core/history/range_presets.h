#pragma once

#include <QDate>

// Ranges of whole local days for the history charts: the presets beside the pickers and the step
// of "◀"/"▶".

enum class RangePreset { Today, Yesterday, ThisWeek, LastWeek, ThisMonth, LastMonth, Last7Days, Last30Days };
inline constexpr int kRangePresetCount = 8;

struct DayRange {
  QDate first, last;
  bool operator==(const DayRange&) const = default;
};

// Weeks run Monday to Sunday, months are calendar months; "last 7 days" ends today.
DayRange PresetRange(RangePreset preset, const QDate& today);
// The range moved by its own length, back (-1) or forward (+1): whole calendar months by as many
// months (February after January keeps its own end), any other range by its number of days.
DayRange StepRange(const DayRange& range, int direction);
