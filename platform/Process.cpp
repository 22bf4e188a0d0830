#include "platform/Process.h"

#include <sys/resource.h>
#include <unistd.h>

int64_t peakResidentBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return int64_t(usage.ru_maxrss) * 1024;  // Linux reports kilobytes
}

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }
