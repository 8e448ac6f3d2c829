#pragma once

#include <QString>

struct sockaddr;

// Tests talk to this machine only. Every test executable links a `connect` that refuses (and ends
// the test with a message) any address outside 127.0.0.0/8, ::1 and local sockets, before a single
// packet leaves; a station started as a process is checked by its settings file first.

// True for loopback and local (AF_UNIX) addresses, the only ones a test may reach.
bool IsLocalAddress(const sockaddr* address);

// Ends the test run unless the station started with this settings file talks to 127.0.0.1 only:
// its converter address and, when publishing is on, its broker.
void RequireLoopbackSettings(const QString& iniPath);
