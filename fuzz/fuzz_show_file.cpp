// Show files: the input read as a show file in a folder holding three pictures (a.png 256 x 256,
// b.png 64 x 32, pics/1.png .. pics/3.png); a small show that reads is also built. Whatever is refused is
// refused with one line naming the file and, for a place in it, a line and column within the input;
// whatever is accepted stays within the reader's limits.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/PngWriter.h"
#include "showfile/ShowFile.h"

namespace {

const std::string& showPath() {
    static const std::string path = [] {
        const std::vector<uint32_t> square(256 * 256, 0x00406080u), small(64 * 32, 0x00FF8000u);
        std::string reason;
        std::filesystem::create_directories(fuzz::scratch() / "pics");
        writePng((fuzz::scratch() / "a.png").string(), square.data(), 256, 256, reason);
        writePng((fuzz::scratch() / "b.png").string(), small.data(), 64, 32, reason);
        for (int k = 1; k <= 3; ++k)
            writePng((fuzz::scratch() / "pics" / (std::to_string(k) + ".png")).string(), small.data(), 64, 32, reason);
        return (fuzz::scratch() / "show.toml").string();
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ShowFile show;
    ShowProblem error;
    if (!parseShowText(text, showPath(), show, error)) {
        const std::string line = error.text();
        fuzz::require(!error.what.empty() && line.find('\n') == std::string::npos, "a refusal is one line");
        fuzz::require(line.rfind(showPath(), 0) == 0, "a refusal names the file");
        const long lines = 1 + long(std::count(text.begin(), text.end(), '\n'));
        fuzz::require(error.at.line == 0 || (error.at.line >= 1 && error.at.line <= lines && error.at.column >= 1),
                      "a refusal's place lies within the input");
        return 0;
    }
    fuzz::require(show.end > 0 && show.end <= 3600 && show.entries.size() <= 500 && show.lists.size() <= 256,
                  "an accepted show lies within the limits");
    if (show.entries.size() > 8) return 0;  // building allocates a frame per effect: keep the runs fast
    ShowContent content;
    if (buildShowContent(show, content, error)) {
        fuzz::require(content.effects.size() == show.entries.size(), "every entry is built");
        Timeline timeline(1u);
        timeline.setFrameSize(512, 384);
        installShow(timeline, show, content);
        timeline.useExternalTime();
        timeline.renderFrame(show.end / 2);
    }
    return 0;
}
