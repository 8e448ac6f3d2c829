#pragma once

#include <QString>
#include <functional>

// The station's single reporting point for caught failures and the exit line.
enum class LogKind { Error = 0, Event = 1 };

// Accepts a finished text. Records nothing on disk and shows nothing to the user; the text goes to
// Qt's logging (stderr) so that someone running the station from a terminal sees it.
void LogMessage(LogKind kind, const QString& text);

// Tests observe the calls through this hook; an empty function removes it.
void SetLogObserver(std::function<void(LogKind, const QString&)> observer);
