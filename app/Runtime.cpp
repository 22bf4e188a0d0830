#include "app/Runtime.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/PngWriter.h"
#include "platform/Process.h"
#include "platform/VideoExport.h"
#include "platform/WindowMessages.h"
#include "simd/Simd.h"

namespace {

// The show time a jump key asks for, from the time of the last frame; -1 when none is pending. While
// paused, Left and Right jump here too (the music player applies them only while it plays).
float requestedJump(float previous, bool paused) {
    const int jump = jumpRequest;
    jumpRequest = 0;
    float target = -1;
    if (jump == kJumpForward) target = float(double(previous) + 10.0);
    if (jump == kJumpBack) target = float(std::max(0.0, double(previous) - 10.0));
    if (jump == kJumpHome) target = 0;
    if (paused && (seekBackRequest || seekForwardRequest)) {
        target = float(std::max(0.0, double(previous) + (seekForwardRequest ? 2.0 : -2.0)));
        seekBackRequest = seekForwardRequest = 0;
    }
    return target;
}

std::string pausedTitle(float t) {
    char title[64];
    std::snprintf(title, sizeof title, "SoftShow: paused at %.2f s", double(t));
    return title;
}

}  // namespace

long runFrameLoop(DisplayWindow& display, Timeline& timeline, ShowClock& clock, std::FILE* syncLog,
                  const LiveControls* live) {
    long frames = 0;
    bool paused = false;
    const bool looping = live && live->loopTo > live->loopFrom;
    setStopSignalsGraceful(true);
    while (!display.escapeDown()) {
        if (closeRequest || stopSignalled()) break;
        if (!timeline.isRunning()) break;
        if (syncMarkRequest) {
            if (syncLog) std::fprintf(syncLog, "%.2f\n", double(timeline.getTime())), std::fflush(syncLog);
            syncMarkRequest = 0;
        }
        if (pauseRequest) {
            pauseRequest = 0;
            paused = !paused;
            clock.setPaused(paused);
            display.setTitle(paused ? pausedTitle(timeline.getTime()) : std::string("SoftShow"));
        }
        const bool replaced = live && live->beforeFrame && live->beforeFrame(display);
        float t = paused ? timeline.getTime() : clock.updatePosition(timeline.getTime());
        const float jump = requestedJump(timeline.getTime(), paused);
        if (looping && jump < 0 && !paused && (t >= live->loopTo || t < live->loopFrom)) {
            clock.seek(live->loopFrom);  // the clock's next position is the loop's start
            t = clock.updatePosition(live->loopFrom);
        }
        if (jump >= 0) {
            clock.seek(jump);  // past the end: the frame at that time ends the show
            t = jump;
        } else if (paused && !replaced) {  // the last frame stays; nothing is computed until a key or an expose
            display.idle(100);
            continue;
        }
        PixelArray& frame = timeline.renderFrame(t);
        display.present(frame.getPixels(), int(frame.width), int(frame.height));
        if (paused) display.setTitle(pausedTitle(t));
        ++frames;
    }
    setStopSignalsGraceful(false);
    return frames;
}

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A one-line progress report on stderr, redrawn at most ten times a second, only on a terminal.
class Progress {
public:
    Progress(const char* label_, long total_) : label(label_), total(total_), enabled(stderrIsTerminal()) {}
    void update(long done, float t) {
        if (!enabled || secondsSince(last) < 0.1) return;
        last = Clock::now();
        const double elapsed = secondsSince(begin), rate = elapsed > 0 ? double(done) / elapsed : 0;
        std::fprintf(stderr, "\r%s: frame %ld of %ld, show time %.2f s, %.0f frames/s, %.0f s left ", label, done,
                     total, double(t), rate, rate > 0 ? double(total - done) / rate : 0.0);
        std::fflush(stderr);
    }
    void finish() {
        if (enabled) std::fprintf(stderr, "\r%*s\r", 90, "");
    }

private:
    const char* label;
    long total;
    bool enabled;
    Clock::time_point last = Clock::now(), begin = Clock::now();
};

// A folder can be written when a file can be made in it; checked before anything is rendered.
bool writableFolder(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / ".softshow-write-test";
    std::FILE* f = std::fopen(probe.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "softshow: cannot write in %s: %s\n", folder.c_str(), std::strerror(errno));
        return false;
    }
    std::fclose(f);
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return true;
}

bool savePng(const std::string& path, const PixelArray& frame) {
    std::string reason;
    if (writePng(path, frame.getPixels(), int(frame.width), int(frame.height), reason)) return true;
    std::fprintf(stderr, "softshow: %s\n", reason.c_str());
    return false;
}

// Number of grid frames from..to inclusive of `to` when it lies on the grid (within rounding).
long gridFrameCount(double from, double to, double fps) { return long(std::floor((to - from) * fps + 1e-9)) + 1; }

}  // namespace

int renderFrames(Timeline& timeline, const Options& o) {
    std::error_code ec;
    std::filesystem::create_directories(o.framesDir, ec);
    if (ec) {
        std::fprintf(stderr, "softshow: cannot create %s: %s\n", o.framesDir.c_str(), ec.message().c_str());
        return 1;
    }
    if (!writableFolder(o.framesDir)) return 1;
    const long count = gridFrameCount(o.from, o.to, o.fps);
    // Files are named by the frame's number in the whole show at this rate, so renders of different
    // ranges into one folder never overwrite each other.
    const long first = std::lround(o.from * o.fps);
    Progress progress("frames", count);
    for (long k = 0; k < count; ++k) {
        const float t = offlineFrameTime(o.from, o.fps, k);
        const PixelArray& frame = timeline.renderFrame(t);
        char name[40];
        std::snprintf(name, sizeof name, "frame_%05ld.png", first + k);
        if (!savePng((std::filesystem::path(o.framesDir) / name).string(), frame)) return 1;
        progress.update(k + 1, t);
    }
    progress.finish();
    return 0;
}

int renderShot(Timeline& timeline, const Options& o) {
    const std::filesystem::path folder = std::filesystem::path(o.shotFile).parent_path();
    if (!writableFolder(folder.empty() ? std::filesystem::path(".") : folder)) return 1;
    const float shot = float(o.shotTime);
    // The frame is never cleared, so every frame before the shot is drawn as a run would draw it.
    const long before = long(std::ceil((o.shotTime - o.from) * o.fps - 1e-9));
    Progress progress("shot", before + 1);
    for (long k = 0; k < before; ++k) {
        const float t = offlineFrameTime(o.from, o.fps, k);
        if (!(t < shot)) break;
        timeline.renderFrame(t);
        progress.update(k + 1, t);
    }
    const PixelArray& frame = timeline.renderFrame(shot);
    progress.finish();
    return savePng(o.shotFile, frame) ? 0 : 1;
}

int runBench(Timeline& timeline, const Options& o) {
    const double end = std::min(o.to, double(timeline.getEndTime()));
    const long count = gridFrameCount(o.from, end, o.fps);
    const int windows = int(std::ceil(end)) + 1;
    std::vector<double> seconds(size_t(windows), 0.0);
    std::vector<long> frames(size_t(windows), 0);
    Progress progress("bench", count);
    const auto start = Clock::now();
    for (long k = 0; k < count; ++k) {
        const float t = offlineFrameTime(o.from, o.fps, k);
        const auto before = Clock::now();
        timeline.renderFrame(t);
        const int w = std::clamp(int(t), 0, windows - 1);
        seconds[size_t(w)] += secondsSince(before);
        ++frames[size_t(w)];
        progress.update(k + 1, t);
    }
    const double total = secondsSince(start);
    progress.finish();

    std::printf("bench: %ld frames, show time %.2f to %.2f s at %g fps, in %.3f s: %.1f frames/s\n", count,
                o.from, double(offlineFrameTime(o.from, o.fps, count - 1)), o.fps, total, double(count) / total);
    std::vector<std::pair<double, int>> rates;
    std::printf("frames/s per 1-second window of show time:\n");
    for (int w = 0; w < windows; ++w) {
        if (frames[size_t(w)] == 0) continue;
        const double rate = double(frames[size_t(w)]) / std::max(seconds[size_t(w)], 1e-9);
        rates.push_back({rate, w});
        std::printf("%s%3d s %7.0f", w % 6 == 0 ? "  " : "   ", w, rate);
        if (w % 6 == 5) std::printf("\n");
    }
    std::printf("\nslowest windows:");
    std::sort(rates.begin(), rates.end());
    for (size_t i = 0; i < rates.size() && i < 5; ++i)
        std::printf("  %d s: %.0f frames/s", rates[i].second, rates[i].first);
    std::printf("\npeak RSS: %.1f MiB\n", double(peakResidentBytes()) / (1024.0 * 1024.0));
    std::printf("SIMD target: %s\n", activeSimdTarget().c_str());
    return 0;
}

int renderExport(Timeline& timeline, const Options& o, const AudioTrack* track) {
    VideoSettings v;
    v.path = o.exportFile;
    v.fps = o.fps;
    v.quality = o.quality;
    v.track = track;
    v.audioFrom = o.from;
    if (o.sizeWidth) {  // the largest 4:3 picture with even sides inside W x H, centred on even lines
        v.width = o.sizeWidth & ~1, v.height = o.sizeHeight & ~1;
        const int k = std::min(v.width / 4, v.height / 3) & ~1;
        v.pictureWidth = 4 * k, v.pictureHeight = 3 * k;
        v.pictureX = (v.width - v.pictureWidth) / 2 & ~1, v.pictureY = (v.height - v.pictureHeight) / 2 & ~1;
    } else {
        const int scale = o.scale > 0 ? o.scale : 2;
        v.width = v.pictureWidth = int(kFrameWidth) * scale, v.height = v.pictureHeight = int(kFrameHeight) * scale;
    }
    VideoExport video;
    std::string reason;
    if (!video.open(v, reason)) {
        std::fprintf(stderr, "softshow: %s\n", reason.c_str());
        return 1;
    }
    const long count = std::lround((o.to - o.from) * o.fps);  // the frames before --to
    Progress progress("export", count);
    const auto begin = Clock::now();
    double renderSeconds = 0;
    setStopSignalsGraceful(true);  // Ctrl-C: the partial file is removed, nothing is left
    for (long k = 0; k < count; ++k) {
        const auto start = Clock::now();
        const float t = offlineFrameTime(o.from, o.fps, k);
        const PixelArray& frame = timeline.renderFrame(t);
        renderSeconds += secondsSince(start);
        if (stopSignalled() || !video.addFrame(frame.getPixels())) break;
        progress.update(k + 1, t);
    }
    setStopSignalsGraceful(false);
    progress.finish();
    if (stopSignalled()) {
        video.abandon();
        std::fprintf(stderr, "softshow: export interrupted; %s was not written\n", o.exportFile.c_str());
        return 130;
    }
    if (!video.finish(reason)) {
        std::fprintf(stderr, "softshow: %s\n", reason.c_str());
        return 1;
    }
    std::printf("export: %s, %ld frames (%.3f s) at %d x %d in %.1f s; rendering %.0f frames/s, encoding %.0f frames/s\n",
                o.exportFile.c_str(), count, double(count) / o.fps, v.width, v.height, secondsSince(begin),
                renderSeconds > 0 ? double(count) / renderSeconds : 0.0, video.encodedFramesPerSecond());
    return 0;
}
