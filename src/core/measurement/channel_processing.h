#pragma once

#include <QString>
#include <array>
#include <functional>
#include <stdexcept>

#include "config/app_settings.h"

// Live values of one input.
struct ChannelReading {
  QString StatusText;  // two hex characters of the status byte; "80" is healthy
  double InstantValue = 0;
  double AverageValue = 0;
  double DisplayValue = 0;  // shown, archived and charted
};

// A reply whose processing could not finish (a division by zero in the correction).
class ProcessingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Correction {
  double AbsoluteTemperature = 0;  // K
  double CorrectionFactor = 0;
};

inline const QString kHealthyStatus = QStringLiteral("80");

// Linear scale between the 4 mA point (raw 0) and the 20 mA point (raw 10000), extrapolated beyond.
double ScaleRaw(const ChannelSettings& channel, int raw);
// Scaling points so far apart that the largest raw value (65535, 6.5535 spans) would pass 1e15:
// such values cannot be archived with four decimals, and their products overflow.
bool ScalingSpanTooLarge(double value4mA, double value20mA);
// Exponential average in which the newest sample weighs 1/(n+1); n <= 0 follows the sample.
double AverageStep(double average, double instant, int samples);
// Temperature in kelvin and the factor (T / 293.15) * (101.325 / p). Throws ProcessingError for p = 0.
Correction UpdateCorrection(const AppSettings& settings, const ChannelReading& input2);
// Display value of input 1 or 3 from its average. Throws ProcessingError for T = 0 with unit index 3.
double ConvertFlowUnit(int unitIndex, double average, const Correction& correction, double pressure);
// Strictly outside the alarm limits.
bool IsInAlarm(const ChannelSettings& channel, const ChannelReading& reading);

// The four readings and the two flags that gate the overview and the archive.
class Measurement {
 public:
  std::array<ChannelReading, kInputCount> Readings;
  bool AwaitingFirstReply = false;
  bool ReadingsValid = false;

  ChannelReading& Reading(int n) { return Readings[n - 1]; }
  const ChannelReading& Reading(int n) const { return Readings[n - 1]; }

  // Processes one accepted reply text; `refresh` is the overview refresh of step 3.
  // Throws ProcessingError; the inputs not yet reached then keep their readings.
  void ProcessReply(const QString& reply, const AppSettings& settings, const std::function<void()>& refresh);

  // Link drop: averages and display values back to 0, the next reply only initialises.
  void ClearForDrop();
};
