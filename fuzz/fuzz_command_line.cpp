// The command line: the input split at NUL bytes into arguments. Whatever is accepted lies in bounds.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words{"softshow"};
    std::string word;
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += char(data[i]);
        }
    }
    if (!word.empty()) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());

    Options o;
    std::string error;
    if (!parseCommandLine(int(argv.size()), argv.data(), o, error)) {
        fuzz::require(!error.empty() && error.find('\n') == std::string::npos, "a refusal is one line");
        return 0;
    }
    auto inShow = [](double t) { return std::isfinite(t) && t >= 0 && t <= kLatestTime; };
    fuzz::require(inShow(o.start) && o.start < kLatestTime, "--start lies in the show");
    fuzz::require(inShow(o.from) && inShow(o.to) && inShow(o.shotTime) && inShow(o.spectrumTime), "times lie in the show");
    fuzz::require(o.fps >= 1 && o.fps <= kMostFps, "--fps lies in 1..1000");
    fuzz::require(o.scale >= 0 && o.scale <= 16 && o.maxImageMemoryMiB >= 1, "sizes lie in their ranges");
    return 0;
}
