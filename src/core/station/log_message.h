#pragma once

#include <QString>
#include <functional>

// The station's single reporting point for caught failures and the exit line.
enum class LogKind { Error = 0, Event = 1 };

// Accepts a finished text and shows nothing to the user. The text goes to Qt's logging (stderr), so
// that someone running the station from a terminal sees it, and to the journal below the archive
// folder (once one is set): errors to Errors/, events to Events/, the exit line as the program's end.
void LogMessage(LogKind kind, const QString& text);

// The line that ends the program.
inline constexpr char kExitLine[] = "----------- UKONČENÍ APLIKACE ---------";

// Tests observe the calls through this hook; an empty function removes it.
void SetLogObserver(std::function<void(LogKind, const QString&)> observer);
