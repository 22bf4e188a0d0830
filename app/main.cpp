// softshow: plays the show in a window locked to its music, or renders it offline.
//
// Start-up order: display; the sound device, then the music decoded on another thread while the timeline
// (which seeds the random generator) and the show content load; "synch.txt" emptied; the first picture
// presented; the music started, the show time switched to the music position and the music sought to the
// start offset, the music handed to the timeline as its spectrum source; sync log opened.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <system_error>

#include "app/CommandLine.h"
#include "app/Gallery.h"
#include "app/Runtime.h"
#include "app/LiveShow.h"
#include "app/TestShow.h"
#include "pixel/ImageList.h"
#include "platform/AudioTrack.h"
#include "platform/DisplayWindow.h"
#include "platform/MessageBox.h"
#include "platform/MusicPlayer.h"
#include "platform/Process.h"
#include "platform/Versions.h"
#include "scene3d/Mesh.h"
#include "scene3d/SceneInfo.h"
#include "showfile/EffectRegistry.h"
#include "timeline/ShowClock.h"
#include "timeline/Timeline.h"

namespace {

// The music the built-in test show plays when the folder holds it.
constexpr const char* kTestShowMusic = "Velm_test2.mp3";
constexpr const char* kDefaultShowFile = "show.toml";

std::string showFilePath(const Options& o) { return o.showFile.empty() ? kDefaultShowFile : o.showFile; }

// What the timeline plays: a show file, or the built-in test timeline of colour fills.
struct Programme {
    LiveShow show;
    TestShow test;
    std::string music;  // empty: silent
};

// Builds the programme into the timeline, leaving it with the frame size and the end time set. False,
// with the error printed, when the show file cannot be read or built or the times given lie past the
// show's end: the program then ends with status 2 before anything is shown. `read`, when given, is the
// show file already read (it named the music), so it is not read twice.
bool build(Timeline& timeline, const Options& o, Programme& p, ShowFile* read = nullptr) {
    timeline.setFrameSize(kFrameWidth, kFrameHeight);
    if (o.testShow) {
        timeline.setEndTime(kShowEndTime);
        p.test = buildTestShow(timeline);
        std::error_code ec;
        if (std::filesystem::exists(kTestShowMusic, ec)) {
            p.music = kTestShowMusic;
        } else {
            std::fprintf(stderr, "softshow: no %s in %s: playing the built-in test show without music\n", kTestShowMusic,
                         std::filesystem::current_path(ec).c_str());
        }
    } else {
        ShowProblem error;
        if (!p.show.load(showFilePath(o), timeline, error, read)) {
            std::fprintf(stderr, "softshow: %s\n", error.text().c_str());
            std::error_code ec;
            if (o.showFile.empty() && !std::filesystem::exists(kDefaultShowFile, ec))
                std::fprintf(stderr, "softshow: no show files in %s: run `make run`, pass --data DIR (softshow-assetgen DIR "
                                     "writes them) or --show FILE\n", std::filesystem::current_path(ec).c_str());
            return false;
        }
        for (const ShowProblem& w : p.show.file().warnings) std::fprintf(stderr, "softshow: %s\n", w.text().c_str());
        p.music = p.show.file().music;
    }
    const double end = timeline.getEndTime();
    const char* past = o.start >= end ? "--start" : o.loopTo > end ? "--loop" : o.from > end ? "--from" : nullptr;
    if (past) std::fprintf(stderr, "softshow: %s: the show ends at %g seconds\n", past, end);
    return past == nullptr;
}

std::unique_ptr<Timeline> makeTimeline(const Options& o) {
    return o.seed ? std::make_unique<Timeline>(*o.seed) : std::make_unique<Timeline>();
}

int runOffline(const Options& o) {
    setupShowView();
    std::unique_ptr<Timeline> timeline = makeTimeline(o);
    Programme programme;
    if (!build(*timeline, o, programme)) return 2;
    timeline->useExternalTime();
    MusicPlayer music(MusicOutput::None);
    SilentSpectrum silence;
    if (!programme.music.empty()) {
        music.load(programme.music);
        timeline->setSpectrumSource(&music);
    } else {
        timeline->setSpectrumSource(&silence);
    }
    Options run = o;  // a show shorter than the default range ends the range
    run.to = std::min(run.to, double(timeline->getEndTime()));
    if (o.mode == RunMode::Export && run.to <= run.from) {
        std::fprintf(stderr, "softshow: --from: the show ends at %g seconds\n", double(run.to));
        return 2;
    }
    switch (o.mode) {
        case RunMode::Frames: return renderFrames(*timeline, run);
        case RunMode::Shot: return renderShot(*timeline, run);
        case RunMode::Export: return renderExport(*timeline, run, music.track().frames() > 0 ? &music.track() : nullptr);
        default: return runBench(*timeline, run);
    }
}

// The show's music: the show file's when there is one, else the generated show's file name.
int printSpectrum(const Options& o) {
    std::string file = kTestShowMusic;
    std::error_code ec;
    if (!o.testShow && (!o.showFile.empty() || std::filesystem::exists(kDefaultShowFile, ec))) {
        ShowFile show;
        ShowProblem error;
        if (!readShowFile(showFilePath(o), show, error)) {
            std::fprintf(stderr, "softshow: %s\n", error.text().c_str());
            return 2;
        }
        if (show.music.empty()) {
            std::fprintf(stderr, "softshow: %s names no music\n", show.path.c_str());
            return 2;
        }
        file = show.music;
    }
    MusicPlayer music(MusicOutput::None);
    music.load(file);
    float bands[kSpectrumBands];
    music.fetchSpectrum(float(o.spectrumTime), bands);
    for (int k = 0; k < kSpectrumBands; ++k) std::printf("%d %.6f\n", k, double(bands[k]));
    return 0;
}

int runLive(const Options& o) {
    DisplayWindow display("SoftShow", nullptr, o.fullScreen, kFrameWidth, kFrameHeight,
                          o.headless ? DisplayKind::Null : DisplayKind::Window, WindowLayout{o.scale, o.smooth, o.fullScreen});
    const MusicOutput output =
        o.headless ? MusicOutput::None : o.noAudio ? MusicOutput::WallClock : MusicOutput::Device;
    MusicPlayer music(output);
    // The show file is read first (it names the music); then the sound device is opened and the music
    // decoded on another thread while the pictures and scenes load.
    setupShowView();
    std::unique_ptr<Timeline> timeline = makeTimeline(o);
    Programme programme;
    std::string musicFile;
    ShowFile show;
    bool read = false;
    if (o.testShow) {
        std::error_code ec;
        if (std::filesystem::exists(kTestShowMusic, ec)) musicFile = kTestShowMusic;
    } else {
        ShowProblem error;
        read = readShowFile(showFilePath(o), show, error);  // when it fails, build() reads it again to report
        musicFile = show.music;
    }
    const bool withMusic = !musicFile.empty();
    struct Decoded {
        AudioTrack track;
        bool ok = false;
        std::string reason;
    };
    std::future<Decoded> decoding;
    if (withMusic) {
        music.openOutput();
        decoding = std::async(std::launch::async, [musicFile] {
            Decoded d;
            d.ok = decodeMp3(musicFile, d.track, d.reason);
            return d;
        });
        setBeforeFatalBox([&decoding] { decoding.wait(); });  // a picture that fails to load: let it finish
    }
    if (!build(*timeline, o, programme, read ? &show : nullptr)) {
        if (decoding.valid()) decoding.wait();  // the music's decoding ends before the program does
        return 2;
    }
    timeline->setStartOffset(float(o.start));
    if (std::FILE* f = std::fopen("synch.txt", "w"))
        std::fclose(f);
    else  // the show goes on; only the marks are lost
        std::fprintf(stderr, "softshow: cannot write synch.txt: %s; time marks are not kept\n", std::strerror(errno));
    const float offset = timeline->useExternalTime();

    // In a window the first picture goes up at once; the music starts when it is decoded.
    SilentSpectrum silence;
    timeline->setSpectrumSource(&silence);
    if (!o.headless) {
        const PixelArray& first = timeline->renderFrame(offset);
        display.present(first.getPixels(), int(first.width), int(first.height));
    }
    const double firstPicture = secondsSinceLaunch();

    FixedRateClock fixedRate(o.fps);
    WallClock wallClock;
    ShowClock* clock = o.headless ? static_cast<ShowClock*>(&fixedRate) : &wallClock;
    if (withMusic) {
        setBeforeFatalBox(nullptr);
        Decoded d = decoding.get();
        music.adopt(std::move(d.track), d.ok, d.reason);
        music.play();
        music.enableMusicTime(2.0f);
        if (!o.headless) clock = &music;
        timeline->setSpectrumSource(&music);
    }
    music.seek(offset);
    clock->seek(offset);
    if (o.timing)
        std::fprintf(stderr, "timing: first picture %.3f s after launch, music started %.3f s after launch\n",
                     firstPicture, withMusic ? secondsSinceLaunch() : -1.0);
    std::FILE* syncLog = std::fopen("synch.txt", "a+");

    LiveControls live;
    live.loopFrom = float(o.loopFrom);
    live.loopTo = float(o.loopTo);
    if (!o.testShow) {
        live.beforeFrame = [&programme, &timeline](DisplayWindow& window) {
            ShowProblem error;
            switch (programme.show.poll(*timeline, error)) {
                case LiveShow::Change::Reloaded:
                    std::fprintf(stderr, "softshow: reloaded %s in %.2f s\n", programme.show.file().path.c_str(),
                                 programme.show.lastLoadSeconds());
                    for (const ShowProblem& w : programme.show.file().warnings)
                        std::fprintf(stderr, "softshow: %s\n", w.text().c_str());
                    window.setTitle("SoftShow");
                    return true;
                case LiveShow::Change::Failed:
                    std::fprintf(stderr, "%s\n", error.text().c_str());
                    window.setTitle("SoftShow: " + error.text());
                    return false;
                default: return false;
            }
        };
    }
    runFrameLoop(display, *timeline, *clock, syncLog, &live);

    music.stopAll();
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
    if (options.mode == RunMode::Effects) {
        std::fputs(describeEffectClasses().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("softshow %s (%s)\n", kVersion, libraryVersions().c_str());
        return 0;
    }
    installStopSignals();
    if (!options.dataDir.empty()) {
        // Output paths name places relative to where the user is, not to the show's folder.
        if (!options.framesDir.empty()) options.framesDir = std::filesystem::absolute(options.framesDir).string();
        if (!options.shotFile.empty()) options.shotFile = std::filesystem::absolute(options.shotFile).string();
        if (!options.sceneFile.empty()) options.sceneFile = std::filesystem::absolute(options.sceneFile).string();
        if (!options.galleryDir.empty()) options.galleryDir = std::filesystem::absolute(options.galleryDir).string();
        if (!options.exportFile.empty()) options.exportFile = std::filesystem::absolute(options.exportFile).string();
        if (!options.showFile.empty()) options.showFile = std::filesystem::absolute(options.showFile).string();
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
    setPictureMemoryLimit(uint64_t(options.maxImageMemoryMiB) << 20);
    switch (options.mode) {
        case RunMode::Live: return runLive(options);
        case RunMode::Spectrum: return printSpectrum(options);
        case RunMode::SceneInfo: return printSceneInfo(options.sceneFile, stdout);
        case RunMode::Gallery: return writeGallery(options.galleryDir);
        default: return runOffline(options);
    }
}
