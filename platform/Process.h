// Facts about the running process that only the operating system knows.
#pragma once

#include <cstdint>

int64_t peakResidentBytes();  // high-water mark of resident memory; 0 when unknown
bool stderrIsTerminal();
