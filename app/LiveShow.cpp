#include "app/LiveShow.h"

#include <system_error>

namespace fs = std::filesystem;

std::vector<LiveShow::Stamp> LiveShow::stampFiles(const std::vector<std::string>& files) const {
    std::vector<Stamp> out;
    out.reserve(files.size());
    for (const std::string& f : files) {
        std::error_code ec;
        Stamp s;
        s.time = fs::last_write_time(f, ec);
        s.exists = !ec;
        if (s.exists) s.size = fs::file_size(f, ec);
        out.push_back(s);
    }
    return out;
}

bool LiveShow::load(const std::string& showPath, Timeline& timeline, ShowProblem& error) {
    path = showPath;
    ShowFile next;
    ShowContent built;
    // Stamped before reading: a change made while the show loads is seen at the next look.
    const std::vector<Stamp> before = stampFiles(watched.empty() ? std::vector<std::string>{path} : watched);
    bool ok = readShowFile(path, next, error) && buildShowContent(next, built, error);
    // What to watch: everything the new file names when it could be read that far, else what was watched.
    if (!next.namedFiles.empty()) {
        watched = next.namedFiles;
        stamps = stampFiles(watched);
    } else {
        if (watched.empty()) watched = {path};
        stamps = before;
    }
    if (!ok) return false;
    installShow(timeline, next, built);
    show = std::move(next);
    content = std::move(built);  // the old effects go only now, after the timeline dropped them
    return true;
}

LiveShow::Change LiveShow::poll(Timeline& timeline, ShowProblem& error) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastLook < std::chrono::milliseconds(250)) return Change::None;
    lastLook = now;
    if (stampFiles(watched) == stamps) return Change::None;
    return load(path, timeline, error) ? Change::Reloaded : Change::Failed;
}
