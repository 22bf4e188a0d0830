// softshow: plays the show in a window locked to its clock, or renders it offline.
//
// Start-up order: display, timeline (seeds the random generator), show content, frame size and end time,
// "synch.txt" emptied, clock started at the timeline's start offset, spectrum source, sync log opened.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/CommandLine.h"
#include "app/Runtime.h"
#include "app/ShowClock.h"
#include "app/TestShow.h"
#include "platform/DisplayWindow.h"
#include "platform/MessageBox.h"
#include "timeline/Timeline.h"

namespace {

std::unique_ptr<Timeline> makeTimeline(const Options& o) {
    return o.seed ? std::make_unique<Timeline>(*o.seed) : std::make_unique<Timeline>();
}

int runOffline(const Options& o) {
    std::unique_ptr<Timeline> timeline = makeTimeline(o);
    timeline->setFrameSize(kFrameWidth, kFrameHeight);
    timeline->setEndTime(kShowEndTime);
    TestShow show = buildTestShow(*timeline);
    timeline->useExternalTime();
    SilentSpectrum silence;
    timeline->setSpectrumSource(&silence);
    switch (o.mode) {
        case RunMode::Frames: return renderFrames(*timeline, o);
        case RunMode::Shot: return renderShot(*timeline, o);
        default: return runBench(*timeline, o);
    }
}

int runLive(const Options& o) {
    DisplayWindow display("SoftShow", nullptr, false, kFrameWidth, kFrameHeight,
                          o.headless ? DisplayKind::Null : DisplayKind::Window);
    std::unique_ptr<Timeline> timeline = makeTimeline(o);
    timeline->setFrameSize(kFrameWidth, kFrameHeight);
    timeline->setEndTime(kShowEndTime);
    timeline->setStartOffset(float(o.start));
    TestShow show = buildTestShow(*timeline);

    if (std::FILE* f = std::fopen("synch.txt", "w")) std::fclose(f);
    std::unique_ptr<ShowClock> clock;
    if (o.headless)
        clock = std::make_unique<FixedRateClock>(o.fps);
    else
        clock = std::make_unique<WallClock>();
    clock->seek(timeline->useExternalTime());
    SilentSpectrum silence;
    timeline->setSpectrumSource(&silence);
    std::FILE* syncLog = std::fopen("synch.txt", "a+");

    runFrameLoop(display, *timeline, *clock, syncLog);

    clock->stopAll();
    if (syncLog) std::fclose(syncLog);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "softshow: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!options.dataDir.empty()) {
        // Output paths name places relative to where the user is, not to the show's folder.
        if (!options.framesDir.empty()) options.framesDir = std::filesystem::absolute(options.framesDir).string();
        if (!options.shotFile.empty()) options.shotFile = std::filesystem::absolute(options.shotFile).string();
        std::error_code ec;
        std::filesystem::current_path(options.dataDir, ec);
        if (ec) {
            std::fprintf(stderr, "softshow: --data: cannot enter '%s': %s\n%s", options.dataDir.c_str(),
                         ec.message().c_str(), kUsage);
            return 2;
        }
    }
    const bool offline = options.mode != RunMode::Live;
    if (offline || options.headless) setMessageBoxesEnabled(false);
    return offline ? runOffline(options) : runLive(options);
}
