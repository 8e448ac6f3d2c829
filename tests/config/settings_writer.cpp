// A helper of the settings tests: writes the dialog's keys to a file again and again, alternating
// two versions that differ in the routine's first key and its last, until it is killed.
#include <QCoreApplication>
#include <cstdio>

#include "station/station.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  if (argc < 2) return 2;
  const QString path = QString::fromLocal8Bit(argv[1]);
  Station station;
  station.LoadSettings(path);
  for (int i = 1;; ++i) {
    const bool second = i % 2 == 0;
    station.Settings().Channel(1).Activ = second;
    station.Settings().Mqtt.Qos = second ? 1 : 0;
    station.SaveDialogSettings(path);
    std::printf("%d\n", i);  // one line per routine written
    std::fflush(stdout);
  }
}
