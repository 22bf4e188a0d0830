#include "platform/Process.h"

#include <csignal>
#include <cstdio>
#include <ctime>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

int64_t peakResidentBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return int64_t(usage.ru_maxrss) * 1024;  // Linux reports kilobytes
}

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

namespace {
volatile std::sig_atomic_t graceful = 0;
volatile std::sig_atomic_t signalled = 0;

extern "C" void onStopSignal(int sig) {
    if (graceful && !signalled) {
        signalled = sig;
        return;
    }
    _exit(128 + sig);
}
}  // namespace

void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void setStopSignalsGraceful(bool on) { graceful = on ? 1 : 0; }

bool stopSignalled() { return signalled != 0; }

double secondsSinceLaunch() {
    // Field 22 of /proc/self/stat is the start time in clock ticks after boot; the command name (field 2)
    // may hold spaces, so the fields are counted from its closing parenthesis.
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char line[1024];
    const size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = '\0';
    const char* p = nullptr;
    for (const char* c = line; *c; ++c)
        if (*c == ')') p = c;
    unsigned long long start = 0;
    if (!p || std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                          &start) != 1)
        return -1;
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9 - double(start) / double(sysconf(_SC_CLK_TCK));
}
