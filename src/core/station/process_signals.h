#pragma once

#include <QObject>
#include <functional>

// What a signal to the process asks: SIGTERM and SIGINT (a logout, a service stop, Ctrl+C) to end
// as a confirmed exit does, SIGHUP to read the settings again (the recorder) or to end (the window).
enum class ProcessSignal { Stop, Hangup };

// Hands SIGTERM, SIGINT and SIGHUP to `handle` on the event loop: the signal handler itself only
// writes a byte, so whatever runs (a row being written) is finished first. On Windows only the
// console's Ctrl+C and Ctrl+Break (as Stop).
void HandleProcessSignals(QObject* owner, std::function<void(ProcessSignal)> handle);
