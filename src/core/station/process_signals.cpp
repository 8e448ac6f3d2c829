#include "station/process_signals.h"

#include <QTimer>
#include <csignal>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};
void OnSignal(int number) {
  const char byte = char(number);
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}
}  // namespace

void HandleProcessSignals(QObject* owner, std::function<void(ProcessSignal)> handle) {
  if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [handle = std::move(handle)] {
    char byte = 0;
    if (::read(signalPipe[0], &byte, 1) == 1) handle(byte == SIGHUP ? ProcessSignal::Hangup : ProcessSignal::Stop);
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
}
#else
namespace {
volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) {
  stopRequested = 1;
}
}  // namespace

void HandleProcessSignals(QObject* owner, std::function<void(ProcessSignal)> handle) {
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, owner, [handle = std::move(handle)] {
    if (stopRequested) {
      stopRequested = 0;
      handle(ProcessSignal::Stop);
    }
  });
  poll->start(250);
}
#endif
