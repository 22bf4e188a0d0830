#include "app/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "platform/VideoExport.h"
#include "showfile/ShowFile.h"

const char* const kUsage =
    "usage: softshow [options]\n"
    "  --help                 this text\n"
    "  --version              the program's version and the versions of the libraries it runs with\n"
    "  --seed N               seed the random generator with N (default: the calendar time)\n"
    "  --start T              begin at show time T seconds (a time lies in 0..3600 and before the show's end)\n"
    "  --data DIR             working directory for the show's files\n"
    "  --show FILE            play the show file FILE (default: show.toml in the working directory); in a\n"
    "                         window it is read again whenever it or a file it names changes\n"
    "  --loop A:B             play show times A to B over and over (from A, the music sought with it)\n"
    "  --effects              list every effect class a show file can use, with its parameters\n"
    "  --headless             no window and no audio; the clock advances 1/fps per frame\n"
    "  --no-audio             play without sound; the music position follows the wall clock\n"
    "  --test-show            play the built-in test timeline of colour fills instead of the show\n"
    "  --scale N              window of N x 512 by N x 384 (default: the largest fitting 80% of the desktop)\n"
    "  --smooth               filter the scaled picture linearly instead of keeping sharp pixels\n"
    "  --fullscreen           cover the desktop (F11 or Alt+Enter toggles)\n"
    "  --timing               print the times from launch to the first picture and to the music\n"
    "  --max-image-memory M   refuse pictures whose decoded pixels together pass M MiB (default 1024)\n"
    "  --fps F                frames per second of --headless and offline runs, 1..1000 (default 60)\n"
    "  --frames DIR           offline: write every frame from --from A to --to B as DIR/frame_NNNNN.png,\n"
    "                         NNNNN the frame's number at that rate (10 s at 60 fps is frame_00600.png)\n"
    "  --from A --to B        offline time range in seconds (defaults: 0 and the show's end)\n"
    "  --shot T FILE.png      offline: render from --from at --fps up to T and write the frame at T\n"
    "  --bench                offline: render the show (--from A --to B) as fast as possible and report speed\n"
    "  --spectrum T           print the music's 512 spectrum magnitudes at show time T (\"bin magnitude\")\n"
    "  --scene-info FILE.3ds  read a 3DS scene as the show would and print what it holds and any damage\n"
    "  --gallery DIR          render every effect alone over a test picture into DIR, with an index.html\n"
    "  --export FILE          offline: write a video with the music (.mp4 or .mkv: H.264 + AAC; .webm: VP9 +\n"
    "                         Opus) of the frames at --from A + k / --fps F before --to B (defaults 0, 60, the end)\n"
    "  --scale N | --size WxH export size: N x 512 by N x 384 (default 2), or fitted inside W x H with bars\n"
    "  --quality Q            export: the codec's constant quality, lower is better (x264 12, VP9 24)\n";

const char* const kVersion = SOFTSHOW_VERSION;
const double kLatestTime = 3600.0;
const double kMostFps = 1000.0;

namespace {

bool parseNumber(const char* text, double& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool parseSeed(const char* text, uint32_t& value) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || v > UINT32_MAX) return false;
    value = uint32_t(v);
    return true;
}

}  // namespace

namespace {

bool parseArguments(int argc, const char* const* argv, Options& o, std::string& error) {
    bool haveFrom = false, haveTo = false, haveFps = false, haveLoop = false, haveStart = false;
    auto setMode = [&](RunMode mode, const char* name) {
        if (o.mode != RunMode::Live) {
            error = std::string("only one of --frames, --shot, --bench, --spectrum, --scene-info, --gallery, --export and --effects may be given (") + name + ")";
            return false;
        }
        o.mode = mode;
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        auto need = [&](int count) {
            if (i + count >= argc) {
                error = arg + " needs " + (count == 1 ? "a value" : "two values");
                return false;
            }
            return true;
        };
        auto number = [&](double& value, const char* text) {
            if (parseNumber(text, value)) return true;
            error = arg + ": not a number: '" + text + "'";
            return false;
        };
        // A whole number from lo to hi.
        auto wholeNumber = [&](int& value, const char* text, int lo, int hi) {
            double v;
            if (!number(v, text)) return false;
            if (v >= lo && v <= hi && v == std::floor(v)) {
                value = int(v);
                return true;
            }
            error = arg + ": a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) + ": '" + text + "'";
            return false;
        };
        // A show time: a number from 0 to the show's end (the frame at the end itself included).
        auto showTime = [&](double& value, const char* text) {
            if (!number(value, text)) return false;
            if (value >= 0 && value <= kLatestTime) return true;
            error = arg + ": a show time from 0 to " + std::to_string(int(kLatestTime)) + " seconds: '" + text + "'";
            return false;
        };
        // Options that only switch something on.
        const std::pair<const char*, bool*> switches[] = {
            {"--help", &o.help},         {"-h", &o.help},           {"--version", &o.version},
            {"--headless", &o.headless}, {"--no-audio", &o.noAudio}, {"--test-show", &o.testShow},
            {"--smooth", &o.smooth},     {"--fullscreen", &o.fullScreen}, {"--timing", &o.timing},
        };
        const auto on = std::find_if(std::begin(switches), std::end(switches), [&](const auto& s) { return arg == s.first; });
        if (on != std::end(switches)) {
            *on->second = true;
        } else if (arg == "--max-image-memory") {
            if (!need(1) || !wholeNumber(o.maxImageMemoryMiB, next, 1, 1 << 20)) return false;
            ++i;
        } else if (arg == "--scale") {
            if (!need(1) || !wholeNumber(o.scale, next, 1, 16)) return false;
            ++i;
        } else if (arg == "--gallery") {
            if (!need(1) || !setMode(RunMode::Gallery, "--gallery")) return false;
            o.galleryDir = next;
            ++i;
        } else if (arg == "--scene-info") {
            if (!need(1) || !setMode(RunMode::SceneInfo, "--scene-info")) return false;
            o.sceneFile = next;
            ++i;
        } else if (arg == "--spectrum") {
            if (!need(1) || !setMode(RunMode::Spectrum, "--spectrum") || !showTime(o.spectrumTime, next)) return false;
            ++i;
        } else if (arg == "--export") {
            if (!need(1) || !setMode(RunMode::Export, "--export")) return false;
            o.exportFile = next;
            if (videoContainerOf(o.exportFile).empty()) {
                error = "--export: '" + o.exportFile + "' is not a video file name; the supported extensions are " +
                        kVideoContainers;
                return false;
            }
            ++i;
        } else if (arg == "--size") {
            if (!need(1)) return false;
            char x = 0, rest = 0;
            if (std::sscanf(next, "%d%c%d%c", &o.sizeWidth, &x, &o.sizeHeight, &rest) != 3 || (x != 'x' && x != 'X') ||
                o.sizeWidth < 64 || o.sizeHeight < 48 || o.sizeWidth > 8192 || o.sizeHeight > 8192) {
                error = "--size: WIDTHxHEIGHT from 64x48 to 8192x8192: '" + std::string(next) + "'";
                return false;
            }
            ++i;
        } else if (arg == "--quality") {
            if (!need(1) || !wholeNumber(o.quality, next, 0, 63)) return false;
            ++i;
        } else if (arg == "--bench") {
            if (!setMode(RunMode::Bench, "--bench")) return false;
        } else if (arg == "--effects") {
            if (!setMode(RunMode::Effects, "--effects")) return false;
        } else if (arg == "--show") {
            if (!need(1)) return false;
            o.showFile = next;
            ++i;
        } else if (arg == "--loop") {
            if (!need(1)) return false;
            const std::string range = next;
            const size_t colon = range.find(':');
            if (colon == std::string::npos) {
                error = "--loop: A:B, two show times: '" + range + "'";
                return false;
            }
            const std::string a = range.substr(0, colon), b = range.substr(colon + 1);
            if (!showTime(o.loopFrom, a.c_str()) || !showTime(o.loopTo, b.c_str())) return false;
            if (!(o.loopTo > o.loopFrom)) {
                error = "--loop: B must be after A: '" + range + "'";
                return false;
            }
            haveLoop = true;
            ++i;
        } else if (arg == "--seed") {
            uint32_t seed;
            if (!need(1)) return false;
            if (!parseSeed(next, seed)) {
                error = "--seed: not a whole number from 0 to 4294967295: '" + std::string(next) + "'";
                return false;
            }
            o.seed = seed;
            ++i;
        } else if (arg == "--start") {
            if (!need(1) || !showTime(o.start, next)) return false;
            haveStart = true;
            if (o.start >= kLatestTime) {
                error = "--start: must be before " + std::to_string(int(kLatestTime)) + " seconds: '" + next + "'";
                return false;
            }
            ++i;
        } else if (arg == "--data") {
            if (!need(1)) return false;
            o.dataDir = next;
            ++i;
        } else if (arg == "--fps") {
            if (!need(1) || !number(o.fps, next)) return false;
            if (!(o.fps >= 1 && o.fps <= kMostFps)) {
                error = "--fps: from 1 to " + std::to_string(int(kMostFps)) + " frames a second: '" + std::string(next) + "'";
                return false;
            }
            haveFps = true;
            ++i;
        } else if (arg == "--from") {
            if (!need(1) || !showTime(o.from, next)) return false;
            haveFrom = true;
            ++i;
        } else if (arg == "--to") {
            if (!need(1) || !showTime(o.to, next)) return false;
            haveTo = true;
            ++i;
        } else if (arg == "--frames") {
            if (!need(1) || !setMode(RunMode::Frames, "--frames")) return false;
            o.framesDir = next;
            ++i;
        } else if (arg == "--shot") {
            if (!need(2) || !setMode(RunMode::Shot, "--shot") || !showTime(o.shotTime, next)) return false;
            o.shotFile = argv[i + 2];
            i += 2;
        } else {
            error = "unknown argument '" + arg + "'";
            return false;
        }
    }
    if (o.help || o.version) return true;
    if (haveTo && o.mode != RunMode::Frames && o.mode != RunMode::Export && o.mode != RunMode::Bench) {
        error = "--to only applies to --frames, --bench and --export";
        return false;
    }
    if (haveFrom && o.mode != RunMode::Frames && o.mode != RunMode::Shot && o.mode != RunMode::Export &&
        o.mode != RunMode::Bench) {
        error = "--from only applies to --frames, --shot, --bench and --export";
        return false;
    }
    if ((o.sizeWidth || o.quality >= 0) && o.mode != RunMode::Export) {
        error = std::string(o.sizeWidth ? "--size" : "--quality") + " only applies to --export";
        return false;
    }
    if (o.mode == RunMode::Export && o.sizeWidth && o.scale) {
        error = "--scale and --size: give one of them";
        return false;
    }
    if (o.mode == RunMode::Export && !(o.to > o.from)) {
        error = "--export: --to must be after --from";
        return false;
    }
    if (haveFps && o.mode == RunMode::Live && !o.headless) {
        error = "--fps only applies to --headless and the offline modes";
        return false;
    }
    if (haveLoop && o.mode != RunMode::Live) {
        error = "--loop only applies to live runs (a window or --headless)";
        return false;
    }
    if (haveLoop && o.testShow) {
        error = "--loop plays a show file, not the built-in test show";
        return false;
    }
    if (haveLoop && haveStart && (o.start < o.loopFrom || o.start >= o.loopTo)) {
        error = "--start must lie within --loop";
        return false;
    }
    if (haveLoop && !haveStart) o.start = o.loopFrom;
    if (!o.showFile.empty() && o.testShow) {
        error = "--show and --test-show: give one of them";
        return false;
    }
    if (o.mode == RunMode::Frames && o.to < o.from) {
        error = "--to must not be before --from";
        return false;
    }
    if (o.mode == RunMode::Shot && o.shotTime < o.from) {
        error = "--shot: the time must not be before --from";
        return false;
    }
    return true;
}

}  // namespace

bool parseCommandLine(int argc, const char* const* argv, Options& o, std::string& error) {
    if (parseArguments(argc, argv, o, error)) return true;
    error = oneLine(error);  // arguments are quoted as given
    return false;
}
