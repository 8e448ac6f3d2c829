#include <QCoreApplication>
#include <cstdio>

#include "simulator.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  SimulatorOptions options;
  bool help = false;
  const QString error = ParseSimulatorOptions(app.arguments().mid(1), &options, &help);
  if (help) {
    std::printf("%s", qPrintable(SimulatorHelp()));
    return 0;
  }
  if (!error.isEmpty()) {
    std::fprintf(stderr, "ad4eth-sim: %s\nTry --help.\n", qPrintable(error));
    return 2;
  }
  Simulator simulator(options);
  QString listenError;
  if (!simulator.Start(&listenError)) {
    std::fprintf(stderr, "ad4eth-sim: cannot listen on port %u: %s\n", options.port, qPrintable(listenError));
    return 1;
  }
  return app.exec();
}
