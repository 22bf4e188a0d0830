// A show file played live: loaded into a timeline at start-up, then read again whenever the file or any
// picture, scene or music file it names changes on disk (their modification times and sizes are looked
// at no more than four times a second, never per frame).
//
// A reload builds a whole new show and installs it only when it built without error (pictures whose
// files are unchanged are copied from the playing show, not decoded again); the timeline keeps
// its frame, clock and time, so the show and the music go on from where they are. What the new show does
// not carry over: each effect's own state (motion-blur history, a buffer that paints trails, the noise
// streaks drawn at construction), and the random sequence: the new effects draw their construction
// numbers from wherever the generator stands, so after a reload the picture is no longer the one a fresh
// run from 0 with the same seed would show. The music is never reloaded: a changed music file rebuilds the
// show only.
// On an error the show that was playing keeps playing.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "showfile/ShowFile.h"
#include "timeline/Timeline.h"

class LiveShow {
public:
    // Reads, builds and installs the show; false with `error` (the timeline untouched). `read`, when
    // given, is the file already read and checked: it is taken over instead of reading it again.
    bool load(const std::string& path, Timeline& timeline, ShowProblem& error, ShowFile* read = nullptr);

    enum class Change { None, Reloaded, Failed };
    // Looks at the files when at least a quarter of a second passed since the last look; when one
    // changed, loads the show again. Failed leaves the playing show installed and sets `error`.
    Change poll(Timeline& timeline, ShowProblem& error);

    const ShowFile& file() const { return show; }
    double lastLoadSeconds() const { return loadSeconds; }  // the last load or reload, reading to installing

private:
    struct Stamp {
        std::filesystem::file_time_type time{};
        uintmax_t size = 0;
        bool exists = false;
        bool operator==(const Stamp& o) const { return time == o.time && size == o.size && exists == o.exists; }
    };
    std::vector<Stamp> stampFiles(const std::vector<std::string>& files) const;

    std::string path;
    ShowFile show;
    ShowContent content;
    std::vector<std::string> watched;  // what the last attempt named (a failed one too)
    std::vector<Stamp> stamps;
    std::map<std::string, Stamp> pictureStamps;  // the pictures of `content`, as they were when decoded
    double loadSeconds = 0;
    std::chrono::steady_clock::time_point lastLook{};
};
