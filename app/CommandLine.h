// The command line. With no arguments the program plays the show in a window, seeded by the calendar
// time, from show time 0, in the working directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class RunMode { Live, Frames, Shot, Bench, Spectrum, SceneInfo, Gallery, Export, Effects };

struct Options {
    RunMode mode = RunMode::Live;
    bool help = false;
    bool version = false;               // --version: the program's and its libraries' versions
    bool headless = false;              // null display, no audio, fixed-rate clock
    bool noAudio = false;               // no sound device: the music position runs on the wall clock
    bool testShow = false;              // play the built-in test timeline instead of the show
    int scale = 0;                      // window size in frame pixels; 0: the largest fitting 80% of the desktop
    bool smooth = false;                // linear filtering of the scaled frame instead of sharp pixels
    bool fullScreen = false;            // the window covers the desktop
    bool timing = false;                // print launch-to-first-picture and launch-to-music times
    int maxImageMemoryMiB = 1024;       // the budget of decoded pictures together
    std::optional<uint32_t> seed;       // replaces the calendar-time seed
    double start = 0;                   // show time of the first live frame
    std::string dataDir;                // working directory for every relative path
    std::string showFile;               // --show: the show file (default show.toml in the working directory)
    double loopFrom = 0, loopTo = 0;    // --loop A:B: live runs play A..B over and over (loopTo > loopFrom)
    double fps = 60;                    // frames per show second of fixed-rate and offline runs
    double from = 0;                    // offline: first frame time
    double to = 3600;                   // --frames: last frame time (inclusive when on the grid); the show's end
    double shotTime = 0;                // --shot: the time of the frame written
    double spectrumTime = 0;            // --spectrum: the show time whose spectrum is printed
    std::string framesDir, shotFile;
    std::string sceneFile;              // --scene-info
    std::string galleryDir;             // --gallery
    std::string exportFile;             // --export: the video to write (.mp4, .mkv, .webm)
    int sizeWidth = 0, sizeHeight = 0;  // --size WxH: the export fits the frame inside, 4:3, black bars
    int quality = -1;                   // --quality: the codec's constant-quality value; -1 its default
};

extern const char* const kUsage;
extern const char* const kVersion;  // the project version, from CMake
// Bounds of the numbers a user gives: every time lies in 0 .. kLatestTime, the latest end a show file may
// have (--start below it), rates in 1 .. kMostFps, so an offline run renders at most
// kLatestTime x kMostFps + 1 = 3,600,001 frames. Once the show is read, its own end bounds them further.
extern const double kLatestTime;
extern const double kMostFps;

// Fills `options`; on a bad argument returns false with a one-line `error` naming it.
bool parseCommandLine(int argc, const char* const* argv, Options& options, std::string& error);
