#include "measurement/units.h"

QStringList UnitList(int input) {
  switch (input) {
    case 1:
      return {QStringLiteral("Nm³/h"), QStringLiteral("m/s"), QStringLiteral("l/min"),
              QStringLiteral("kg/h")};
    case 2:
      return {QStringLiteral("°C"), QStringLiteral("K")};
    case 3:
      return {QStringLiteral("°C tp"), QStringLiteral("%")};
    case 4:
      return {QStringLiteral("Bar"), QStringLiteral("kPa")};
    default:
      return {};
  }
}

QString UnitText(int input, int index) {
  const QStringList units = UnitList(input);
  return index >= 0 && index < units.size() ? units[index] : QString();
}
