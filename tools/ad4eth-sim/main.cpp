#include <QCoreApplication>
#include <cstdio>

#include "simulator.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  if (app.arguments().contains(QStringLiteral("--version"))) {
    std::printf("ad4eth-sim %s\n", KESTRILON_VERSION);
    return 0;
  }
  SimulatorOptions options;
  bool help = false;
  const QString error = ParseSimulatorOptions(app.arguments().mid(1), &options, &help);
  if (help) {
    std::printf("%s\nExit codes: 0 stopped by a signal (or --help, --version); 1 the port cannot be listened on;\n"
                "2 bad options.\n",
                qPrintable(SimulatorHelp()));
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
