// Linked into every test binary: a test that ends the whole process (the engine's fatal reports exit
// with status 0) would otherwise look like a pass to ctest. While a test runs, an exit fails the binary,
// except in the child process of a death test, where exiting is what is being tested.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string running;
pid_t runner = 0;  // the process running the test; a forked death-test child has another

void onExit() {
    if (running.empty() || getpid() != runner || !GTEST_FLAG_GET(internal_run_death_test).empty()) return;
    std::fprintf(stderr, "\n%s ended the process before it finished\n", running.c_str());
    std::_Exit(1);
}

class Guard : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& info) override {
        running = std::string(info.test_suite_name()) + "." + info.name();
        runner = getpid();
    }
    void OnTestEnd(const ::testing::TestInfo&) override { running.clear(); }
};

const bool installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Guard);
    std::atexit(onExit);
    return true;
}();

}  // namespace
