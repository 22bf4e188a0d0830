#include "platform/Process.h"

#include <csignal>

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
