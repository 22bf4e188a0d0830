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

bool LiveShow::load(const std::string& showPath, Timeline& timeline, ShowProblem& error, ShowFile* read) {
    const auto start = std::chrono::steady_clock::now();
    path = showPath;
    ShowFile next;
    ShowContent built;
    // Stamped before reading: a change made while the show loads is seen at the next look.
    const std::vector<Stamp> before = stampFiles(watched.empty() ? std::vector<std::string>{path} : watched);
    // The playing show's pictures by path, for the files not changed since they were decoded.
    std::map<std::string, const PixelArray*> playing;
    for (size_t l = 0; l < show.lists.size() && l < content.lists.size(); ++l)
        for (size_t f = 0; f < show.lists[l].files.size(); ++f) playing[show.lists[l].files[f]] = content.lists[l]->get(int(f));
    auto decoded = [&](const std::string& file) -> const PixelArray* {
        const auto found = playing.find(file);
        const auto stamp = pictureStamps.find(file);
        if (found == playing.end() || stamp == pictureStamps.end()) return nullptr;
        return stampFiles({file}).front() == stamp->second ? found->second : nullptr;
    };
    bool ok = true;
    if (read)
        next = std::move(*read);
    else
        ok = readShowFile(path, next, error);
    // What to watch: everything the new file names when it could be read that far, else what was watched.
    // Stamped before the pictures are decoded, so a picture changed meanwhile is seen at the next look.
    if (!next.namedFiles.empty()) {
        watched = next.namedFiles;
        stamps = stampFiles(watched);
    } else {
        if (watched.empty()) watched = {path};
        stamps = before;
    }
    ok = ok && buildShowContent(next, built, error, decoded);
    if (!ok) return false;
    installShow(timeline, next, built);
    pictureStamps.clear();
    for (size_t i = 0; i < watched.size(); ++i) pictureStamps[watched[i]] = stamps[i];
    show = std::move(next);
    content = std::move(built);  // the old effects go only now, after the timeline dropped them
    loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return true;
}

LiveShow::Change LiveShow::poll(Timeline& timeline, ShowProblem& error) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastLook < std::chrono::milliseconds(250)) return Change::None;
    lastLook = now;
    if (stampFiles(watched) == stamps) return Change::None;
    return load(path, timeline, error) ? Change::Reloaded : Change::Failed;
}
