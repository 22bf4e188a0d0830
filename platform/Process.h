// Facts about the running process that only the operating system knows.
#pragma once

#include <cstdint>

int64_t peakResidentBytes();  // high-water mark of resident memory; 0 when unknown
bool stderrIsTerminal();

// SIGINT and SIGTERM. While the frame loop runs (stop signals "graceful") they only ask it to end, and
// stopSignalled() tells it so; at any other moment (start-up, a message box, shutting down) they end the
// process at once with status 128 + the signal. A second signal always ends it at once.
void installStopSignals();
void setStopSignalsGraceful(bool graceful);
bool stopSignalled();

// Seconds since the process was started (from the kernel's start time, 10 ms steps); -1 when unknown.
double secondsSinceLaunch();
