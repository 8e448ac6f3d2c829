#pragma once

#include <QDate>
#include <optional>
#include <vector>

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

// The range before `now` laid over it for comparison: day k of the range before onto day k of
// `now` at the same local time (whole calendar months: the same day of the month, a day the month
// lacks dropped); keys that fall after `now`'s end are dropped. Keys are asked in ascending order.
class PeriodShift {
 public:
  PeriodShift(const DayRange& before, const DayRange& now);
  std::optional<double> Map(double key);

 private:
  std::vector<double> begins_;                 // each day of the range before, and the day after
  std::vector<std::optional<double>> shifts_;  // per day: seconds added, none when dropped
  std::vector<QDate> onto_;                    // per day: the day it is laid on
  std::vector<bool> byClock_;                  // a clock change on either day: mapped by the time of day
  double end_;                                 // `now`'s end
  size_t day_ = 0;
};
