#include "measurement/channel_processing.h"

#include <cmath>

#include "link/converter_frame.h"

namespace {
constexpr double kZeroCelsius = 273.15;
constexpr double kNormalFactor = 0.3456421627153335;  // 101.325 kPa / 293.15 K
constexpr double kAirMolarMass = 28.96;               // g/mol
constexpr double kGasConstant = 8.31441;              // J/(mol K)

double Finite(double value, const char* what) {
  if (!std::isfinite(value)) throw ProcessingError(what);
  return value;
}
}  // namespace

double ScaleRaw(const ChannelSettings& c, int raw) {
  return c.Value4mA + (c.Value20mA - c.Value4mA) * 0.0001 * raw;
}

bool ScalingSpanTooLarge(double value4mA, double value20mA) {
  const double span = std::abs(value20mA - value4mA) * 6.5535;
  return !(span <= 1e15);  // also NaN and infinity
}

double AverageStep(double average, double instant, int samples) {
  return samples > 0 ? (samples * average + instant) / (samples + 1) : instant;
}

Correction UpdateCorrection(const AppSettings& a, const ChannelReading& input2) {
  Correction c;
  if (a.CidloTeploty)
    c.AbsoluteTemperature = input2.DisplayValue + (a.Channel(kTemperatureInput).JednotkaIndex == kCelsius ? kZeroCelsius : 0.0);
  else
    c.AbsoluteTemperature = a.Teplota + kZeroCelsius;
  if (a.AtmosferickyTlak == 0) throw ProcessingError("Division by zero: atmospheric pressure is 0");
  c.CorrectionFactor =
      Finite(c.AbsoluteTemperature * kNormalFactor / a.AtmosferickyTlak, "Correction overflow");
  return c;
}

double ConvertFlowUnit(int unitIndex, double average, const Correction& c, double pressure) {
  const double f = average * c.CorrectionFactor;
  switch (unitIndex) {
    case kLitresPerMinute:
      return Finite(f * 100 * (1.0 / 6), "Conversion overflow");
    case kKilogramsPerHour:
      if (c.AbsoluteTemperature == 0) throw ProcessingError("Division by zero: absolute temperature is 0");
      return Finite(f * pressure * kAirMolarMass / (c.AbsoluteTemperature * kGasConstant),
                    "Conversion overflow");
    default:
      return Finite(f, "Conversion overflow");
  }
}

bool IsInAlarm(const ChannelSettings& c, const ChannelReading& r) {
  return r.AverageValue < c.AlarmMinLimit || r.AverageValue > c.AlarmMaxLimit;
}

void Measurement::ProcessReply(const QString& reply, const AppSettings& a,
                               const std::function<void()>& refresh) {
  const Correction correction = UpdateCorrection(a, Reading(kTemperatureInput));
  // With the sensor on, the first reply cannot be corrected yet (no temperature of its own): nothing
  // is valid until the next one, also not through an inactive input.
  const bool onlyInitialising = AwaitingFirstReply && a.CidloTeploty;
  for (int n = 1; n <= kInputCount; ++n) {
    const ChannelSettings& channel = a.Channel(n);
    ChannelReading& r = Reading(n);
    if (!channel.Activ) {
      if (!onlyInitialising) ReadingsValid = true;
      continue;
    }
    r.StatusText = ConverterFrame::InputStatus(reply, n);
    r.InstantValue = Finite(ScaleRaw(channel, ConverterFrame::InputRaw(reply, n)), "Scaling overflow");
    if (AwaitingFirstReply) {
      r.AverageValue = r.DisplayValue = r.InstantValue;
      if (onlyInitialising) continue;
    }
    r.AverageValue =
        Finite(AverageStep(r.AverageValue, r.InstantValue, a.PocetVzorkuNaPrumer), "Average overflow");
    r.DisplayValue = IsCorrectedInput(n) ? ConvertFlowUnit(channel.JednotkaIndex, r.AverageValue, correction,
                                                          a.AtmosferickyTlak)
                                        : r.AverageValue;
    ReadingsValid = true;
  }
  if (refresh) refresh();
  AwaitingFirstReply = false;
}

void Measurement::ClearForDrop() {
  for (ChannelReading& r : Readings) r.AverageValue = r.DisplayValue = 0;
  AwaitingFirstReply = true;
  // The cleared values are no readings: nothing is archived or published until a reply is processed.
  ReadingsValid = false;
}
