#include "showfile/ShowFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

// Inline tables may span lines (TOML 1.1), so one effect with its segments reads as one block.
#define TOML_ENABLE_UNRELEASED_FEATURES 1
#define TOML_EXCEPTIONS 0
#define TOML_HEADER_ONLY 1
#include <toml++/toml.h>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMostFileBytes = 1 << 20;
constexpr size_t kMostLists = 256;
constexpr size_t kMostFilesPerList = 10000;
constexpr size_t kMostFiles = 20000;
constexpr size_t kMostEffects = 500;  // each effect owns a frame-sized buffer: 500 take at least 384 MiB
constexpr size_t kMostSegmentsPerEffect = 1000;
constexpr size_t kMostSegments = 100000;
constexpr double kLatestEnd = 3600;
constexpr double kFarTime = 1e6;  // bound of window and segment times

const char* const kEntryKeys[] = {"fx", "at", "id", "layer-mode", "layer", "segments"};

// Thrown inside the reader only: the first problem ends the reading.
struct Stop {
    ShowProblem problem;
};

// Natural order: runs of digits compare as numbers, so "frame2" comes before "frame10".
bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t i2 = i, j2 = j;
            while (i2 < a.size() && a[i2] == '0') ++i2;
            while (j2 < b.size() && b[j2] == '0') ++j2;
            size_t ie = i2, je = j2;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
            if (ie - i2 != je - j2) return ie - i2 < je - j2;
            const int c = a.compare(i2, ie - i2, b, j2, je - j2);
            if (c != 0) return c < 0;
            i = ie, j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// '*' any run of characters, '?' any one; the rest literal.
bool wildcardMatch(const char* pattern, const char* name) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') return wildcardMatch(pattern + 1, name) || (*name && wildcardMatch(pattern, name + 1));
    return *name && (*pattern == '?' || *pattern == *name) && wildcardMatch(pattern + 1, name + 1);
}

class Reader {
public:
    Reader(const std::string& path_, ShowFile& show_) : path(path_), show(show_) {
        std::error_code ec;
        folder = fs::path(path).parent_path();
        if (folder.empty()) folder = ".";
        folderIsWorkingDirectory = fs::equivalent(folder, ".", ec);
    }

    void read(const toml::table& root) {
        show.path = path;
        show.namedFiles.push_back(path);
        for (auto&& [key, node] : root)
            if (key != "end" && key != "music" && key != "lists" && key != "fx")
                fail(placeOf(key.source()), "unknown key '" + std::string(key.str()) + "'" +
                                                suggestion(std::string(key.str()), {"end", "music", "lists", "fx"}));
        const toml::node* end = root.get("end");
        if (!end) fail(placeOf(root), "the show needs its end time: end = SECONDS");
        show.end = float(number(*end, 0, kLatestEnd, "the end time"));
        if (!(show.end > 0)) fail(*end, "the end time must be after 0");
        if (const toml::node* music = root.get("music")) {
            show.music = existingFile(*music, "the music file");
            show.namedFiles.push_back(show.music);
        }
        if (const toml::node* lists = root.get("lists")) readLists(*lists);
        const toml::node* fx = root.get("fx");
        if (!fx) return;
        const toml::array* entries = fx->as_array();
        if (!entries) fail(*fx, "fx is the list of effects: fx = [ { fx = \"Class\", ... }, ... ]");
        if (entries->size() > kMostEffects) fail(*fx, "more than " + std::to_string(kMostEffects) + " effects");
        for (const toml::node& entry : *entries) readEntry(entry);
        // A loading effect reads a layer some effect saves: the savers get layers 0, 1, ... in file order.
        int saved = 0;
        for (const ShowEntry& e : show.entries) saved += e.layerMode == 0;
        for (const ShowEntry& e : show.entries)
            if (e.layerMode == 1 && e.layer >= saved)
                fail(e.at, "layer " + std::to_string(e.layer) + " is not saved by any effect (layer-mode 0 saves layers 0.." +
                               std::to_string(saved - 1) + " in file order)");
    }

    [[noreturn]] void fail(const SourcePlace& at, const std::string& what) { throw Stop{{at, what}}; }
    [[noreturn]] void fail(const toml::node& node, const std::string& what) { fail(placeOf(node), what); }

    SourcePlace placeOf(const toml::node& node) const { return placeOf(node.source()); }
    SourcePlace placeOf(const toml::source_region& r) const { return {path, int(r.begin.line), int(r.begin.column)}; }

private:
    static std::string suggestion(const std::string& word, const std::vector<std::string>& names) {
        const std::string near = nearestName(word, names);
        return near.empty() ? "" : " (did you mean '" + near + "'?)";
    }

    double number(const toml::node& node, double lo, double hi, const std::string& what) {
        std::optional<double> v;
        if (const auto* i = node.as_integer()) v = double(i->get());
        if (const auto* f = node.as_floating_point()) v = f->get();
        if (!v) fail(node, what + " must be a number");
        if (!std::isfinite(*v) || *v < lo || *v > hi) {
            char range[96];
            std::snprintf(range, sizeof range, " must lie in %.9g..%.9g", lo, hi);
            fail(node, what + range);
        }
        return *v;
    }

    int64_t integer(const toml::node& node, double lo, double hi, const std::string& what) {
        const auto* i = node.as_integer();
        if (!i) fail(node, what + " must be a whole number");
        const int64_t v = i->get();
        if (double(v) < lo || double(v) > hi) {
            char range[96];
            std::snprintf(range, sizeof range, " must lie in %.0f..%.0f", lo, hi);
            fail(node, what + range);
        }
        return v;
    }

    uint32_t colour(const toml::node& node, const std::string& what) {
        const auto* i = node.as_integer();
        if (!i || i->get() < 0 || i->get() > 0xFFFFFF) fail(node, what + " must be a colour 0xRRGGBB");
        return uint32_t(i->get());
    }

    const std::string& text(const toml::node& node, const std::string& what) {
        const auto* s = node.as_string();
        if (!s) fail(node, what + " must be a string");
        return s->get();
    }

    Vector3 vector(const toml::node& node, size_t n, const std::string& what) {
        const toml::array* a = node.as_array();
        if (!a || a->size() != n) fail(node, what + (n == 2 ? " must be [x, y]" : " must be [x, y, z]"));
        double c[3] = {0, 0, 0};
        for (size_t k = 0; k < n; ++k) c[k] = number(*a->get(k), -kFarTime, kFarTime, what);
        return Vector3(float(c[0]), float(c[1]), float(c[2]));
    }

    // [start, end]: two times.
    std::pair<float, float> window(const toml::node& node, const std::string& what) {
        const toml::array* a = node.as_array();
        if (!a || a->size() != 2) fail(node, what + " must be [start, end] in seconds");
        return {float(number(*a->get(0), -kFarTime, kFarTime, what)),
                float(number(*a->get(1), -kFarTime, kFarTime, what))};
    }

    // A named file: relative to the show file's folder first, then to the working directory.
    std::string resolve(const std::string& name) const {
        std::error_code ec;
        const fs::path p(name);
        if (p.is_absolute() || folderIsWorkingDirectory) return name;
        const fs::path beside = folder / p;
        if (fs::exists(beside, ec)) return beside.lexically_normal().string();
        return name;
    }

    std::string existingFile(const toml::node& node, const std::string& what) {
        const std::string& name = text(node, what);
        const std::string resolved = resolve(name);
        std::error_code ec;
        if (name.empty() || !fs::is_regular_file(resolved, ec)) fail(node, what + " '" + name + "' does not exist");
        return resolved;
    }

    // One entry of a list: a file, or a pattern in its last part ("dir/*.png"), sorted naturally.
    void addFiles(const toml::node& node, ShowList& list) {
        const std::string& name = text(node, "a list's entry");
        const std::string leaf = fs::path(name).filename().string();
        const std::string parent = fs::path(name).parent_path().string();
        if (parent.find_first_of("*?") != std::string::npos) fail(node, "a pattern may only be in the file name");
        if (leaf.find_first_of("*?") == std::string::npos) {
            list.files.push_back(existingFile(node, "the picture"));
        } else {
            const std::string dir = resolve(parent.empty() ? "." : parent);
            std::vector<std::string> found;
            std::error_code ec;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                const std::string n = it->path().filename().string();
                if (it->is_regular_file(ec) && wildcardMatch(leaf.c_str(), n.c_str())) {
                    found.push_back(n);
                    if (found.size() > kMostFilesPerList) fail(node, "the pattern matches too many files");
                }
            }
            if (found.empty()) fail(node, "no file matches '" + name + "'");
            std::sort(found.begin(), found.end(), naturalLess);
            for (const std::string& n : found) list.files.push_back((fs::path(dir) / n).string());
        }
        if (list.files.size() > kMostFilesPerList)
            fail(node, "more than " + std::to_string(kMostFilesPerList) + " pictures in one list");
        if ((filesInAll += 1) > kMostFiles) fail(node, "more than " + std::to_string(kMostFiles) + " pictures in all");
    }

    void readLists(const toml::node& node) {
        const toml::table* lists = node.as_table();
        if (!lists) fail(node, "lists is a table: lists.NAME = \"file\" or [\"file\", \"dir/*.png\", ...]");
        if (lists->size() > kMostLists) fail(node, "more than " + std::to_string(kMostLists) + " image lists");
        for (auto&& [key, value] : *lists) {
            ShowList list;
            list.name = std::string(key.str());
            list.at = placeOf(key.source());
            if (const toml::array* files = value.as_array()) {
                if (files->empty()) fail(value, "the list '" + list.name + "' is empty");
                for (const toml::node& f : *files) addFiles(f, list);
            } else {
                addFiles(value, list);
            }
            show.namedFiles.insert(show.namedFiles.end(), list.files.begin(), list.files.end());
            show.lists.push_back(std::move(list));
        }
    }

    int listIndex(const toml::node& node, const std::string& name) {
        std::vector<std::string> names;
        for (size_t k = 0; k < show.lists.size(); ++k) {
            if (show.lists[k].name == name) return int(k);
            names.push_back(show.lists[k].name);
        }
        fail(node, "no image list '" + name + "'" + suggestion(name, names));
    }

    WrittenParam param(const toml::node& node, const ParamSpec& spec, const std::string& className) {
        WrittenParam w;
        w.at = placeOf(node);
        w.value.given = true;
        const std::string what = className + "'s " + spec.key;
        switch (spec.type) {
            case ParamType::Integer: w.value.number = double(integer(node, spec.min, spec.max, what)); break;
            case ParamType::Number: w.value.number = number(node, spec.min, spec.max, what); break;
            case ParamType::Colour: w.value.number = colour(node, what); break;
            case ParamType::Flag:
                if (!node.as_boolean()) fail(node, what + " must be true or false");
                w.value.number = node.as_boolean()->get() ? 1 : 0;
                break;
            case ParamType::Vector2: w.value.vector = vector(node, 2, what); break;
            case ParamType::Vector3: w.value.vector = vector(node, 3, what); break;
            case ParamType::Scene:
                w.value.path = existingFile(node, what);
                show.namedFiles.push_back(w.value.path);
                break;
            case ParamType::Sequence: w.list = listIndex(node, text(node, what)); break;
            case ParamType::Picture: {
                const std::string& ref = text(node, what);
                const size_t colon = ref.rfind(':');
                w.list = listIndex(node, ref.substr(0, colon));
                if (colon != std::string::npos) {
                    const std::string index = ref.substr(colon + 1);
                    const bool digits = !index.empty() && index.size() < 6 &&
                                        std::all_of(index.begin(), index.end(), [](char c) { return c >= '0' && c <= '9'; });
                    if (!digits) fail(node, what + ": '" + ref + "' is not \"list:index\"");
                    w.picture = std::stoi(index);
                }
                const size_t n = show.lists[size_t(w.list)].files.size();
                if (size_t(w.picture) >= n)
                    fail(node, what + ": the list '" + show.lists[size_t(w.list)].name + "' holds " + std::to_string(n) +
                                   " pictures (0.." + std::to_string(n - 1) + ")");
                break;
            }
            case ParamType::EffectRef: {
                const std::string& id = text(node, what);
                std::vector<std::string> ids;
                for (size_t k = 0; k < show.entries.size(); ++k) {
                    if (show.entries[k].id == id) w.effect = int(k);
                    if (!show.entries[k].id.empty()) ids.push_back(show.entries[k].id);
                }
                if (w.effect < 0) fail(node, what + ": no earlier effect has the id '" + id + "'" + suggestion(id, ids));
                break;
            }
        }
        return w;
    }

    void readSegment(const toml::node& node, const ShowEntry& entry, ShowSegment& s) {
        const toml::table* t = node.as_table();
        if (!t) fail(node, "a segment is a table: { TARGET = [from, to], at = [start, end] }");
        const toml::node* at = t->get("at");
        const SegmentKind* kind = nullptr;
        const toml::node* values = nullptr;
        std::vector<std::string> names{"at"};
        for (const SegmentKind& k : segmentKinds()) names.push_back(k.key);
        for (auto&& [key, value] : *t) {
            const std::string k(key.str());
            if (k == "at") continue;
            const SegmentKind* found = findSegmentKind(k);
            if (!found) fail(placeOf(key.source()), "unknown segment target '" + k + "'" + suggestion(k, names));
            if (kind) fail(placeOf(key.source()), "a segment moves one target; this one also names '" + k + "'");
            kind = found, values = &value;
        }
        if (!kind) fail(node, "the segment names no target (" + names[1] + ", " + names[2] + ", ...)");
        if (std::find(entry.cls->moves.begin(), entry.cls->moves.end(), kind->target) == entry.cls->moves.end()) {
            std::string moves;
            for (SegmentTarget m : entry.cls->moves)
                for (const SegmentKind& k : segmentKinds())
                    if (k.target == m) moves += std::string(moves.empty() ? "" : ", ") + k.key;
            fail(*values, std::string(entry.cls->name) + " has no '" + kind->key + "' segments" +
                              (moves.empty() ? " (it has none)" : " (it has: " + moves + ")"));
        }
        if (!at) fail(node, "the segment needs its window: at = [start, end]");
        std::tie(s.start, s.end) = window(*at, "the segment's window");
        const toml::array* pair = values->as_array();
        if (!pair || pair->size() != 2) fail(*values, std::string(kind->key) + " must be [from, to]");
        s.target = kind->target;
        const std::string what = std::string("the ") + kind->key + " segment's value";
        for (int k = 0; k < 2; ++k) {
            const toml::node& v = *pair->get(size_t(k));
            double* out = k == 0 ? s.from : s.to;
            out[0] = out[1] = out[2] = 0;
            switch (kind->valueType) {
                case ParamType::Integer: out[0] = double(integer(v, kind->min, kind->max, what)); break;
                case ParamType::Colour: out[0] = colour(v, what); break;
                case ParamType::Vector2:
                case ParamType::Vector3: {
                    const Vector3 c = vector(v, kind->valueType == ParamType::Vector2 ? 2 : 3, what);
                    out[0] = c.x, out[1] = c.y, out[2] = c.z;
                    break;
                }
                default: out[0] = number(v, kind->min, kind->max, what); break;
            }
        }
    }

    void readEntry(const toml::node& node) {
        const toml::table* t = node.as_table();
        if (!t) fail(node, "an effect is a table: { fx = \"Class\", at = [start, end], ... }");
        ShowEntry entry;
        entry.at = placeOf(node);
        const toml::node* cls = t->get("fx");
        if (!cls) fail(node, "the effect needs its class: fx = \"Class\" (softshow --effects lists them)");
        const std::string& name = text(*cls, "fx");
        entry.cls = findEffectClass(name);
        if (!entry.cls) {
            std::vector<std::string> names;
            for (const EffectClass& c : effectClasses()) names.push_back(c.name);
            fail(*cls, "unknown effect class '" + name + "'" + suggestion(name, names));
        }
        entry.start = 0, entry.end = show.end;
        for (auto&& [key, value] : *t) {
            const std::string k(key.str());
            if (k == "fx") continue;
            if (k == "at") {
                std::tie(entry.start, entry.end) = window(value, "the window");
                if (entry.start > entry.end)
                    show.warnings.push_back({placeOf(value), "warning: the window ends before it starts; the effect "
                                                             "never plays (it is still built)"});
            } else if (k == "id") {
                entry.id = text(value, "id");
                for (const ShowEntry& e : show.entries)
                    if (e.id == entry.id && !e.id.empty()) fail(value, "another effect has the id '" + entry.id + "'");
            } else if (k == "layer-mode") {
                entry.layerMode = int(integer(value, -1, 1, "layer-mode"));
            } else if (k == "layer") {
                entry.layer = int(integer(value, 0, kMostEffects, "layer"));
            } else if (k == "segments") {
                const toml::array* segments = value.as_array();
                if (!segments) fail(value, "segments is a list: segments = [ { TARGET = [from, to], at = [start, end] }, ... ]");
                if (segments->size() > kMostSegmentsPerEffect)
                    fail(value, "more than " + std::to_string(kMostSegmentsPerEffect) + " segments in one effect");
                segmentsInAll += segments->size();
                if (segmentsInAll > kMostSegments) fail(value, "more than " + std::to_string(kMostSegments) + " segments in all");
                for (const toml::node& s : *segments) readSegment(s, entry, entry.segments.emplace_back());
            } else if (const ParamSpec* spec = findParam(*entry.cls, k)) {
                entry.params[k] = param(value, *spec, entry.cls->name);
            } else {
                std::vector<std::string> names(std::begin(kEntryKeys), std::end(kEntryKeys));
                for (const ParamSpec& p : entry.cls->params) names.push_back(p.key);
                std::string keys;
                for (const ParamSpec& p : entry.cls->params) keys += std::string(keys.empty() ? "" : ", ") + p.key;
                const std::string near = suggestion(k, names);
                fail(placeOf(key.source()), "unknown parameter '" + k + "' of " + entry.cls->name +
                                                (near.empty() ? " (its parameters: " + (keys.empty() ? "none" : keys) + ")" : near));
            }
        }
        for (const ParamSpec& p : entry.cls->params)
            if (p.required && !entry.params.count(p.key))
                fail(node, std::string(entry.cls->name) + " needs " + p.key + " (" + typeName(p.type) + ")");
        show.entries.push_back(std::move(entry));
    }

    std::string path;
    ShowFile& show;
    fs::path folder;
    bool folderIsWorkingDirectory = false;
    size_t filesInAll = 0, segmentsInAll = 0;
};

// The place of the first byte outside the ASCII range that stands outside a string or a comment, or
// {0, 0}. Such bytes are never valid there, and the TOML reader's test of them for Unicode white space
// has undefined behaviour for some characters (found by fuzzing), so they are refused before it runs.
std::pair<int, int> strayNonAscii(const std::string& text) {
    enum { Plain, Comment, Basic, Literal, MultiBasic, MultiLiteral } state = Plain;
    int line = 1, column = 1;
    for (size_t i = 0; i < text.size(); ++i, ++column) {
        const char c = text[i];
        auto opens = [&](const char* quotes) { return text.compare(i, 3, quotes) == 0; };
        switch (state) {
            case Plain:
                if (static_cast<unsigned char>(c) >= 0x80) return {line, column};
                if (c == '#') state = Comment;
                else if (opens(R"(""")")) state = MultiBasic, i += 2, column += 2;
                else if (opens("'''")) state = MultiLiteral, i += 2, column += 2;
                else if (c == '"') state = Basic;
                else if (c == '\'') state = Literal;
                break;
            case Comment: if (c == '\n') state = Plain; break;
            case Basic:
                if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') ++i, ++column;
                else if (c == '"' || c == '\n') state = Plain;
                break;
            case Literal: if (c == '\'' || c == '\n') state = Plain; break;
            case MultiBasic:
                if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') ++i, ++column;
                else if (opens(R"(""")")) state = Plain, i += 2, column += 2;
                break;
            case MultiLiteral: if (opens("'''")) state = Plain, i += 2, column += 2; break;
        }
        if (i < text.size() && text[i] == '\n') line += 1, column = 0;
    }
    return {0, 0};
}

ShowProblem wholeFileProblem(const std::string& path, const std::string& what) {
    ShowProblem p;
    p.at.file = path;
    p.what = what;
    return p;
}

}  // namespace

std::string oneLine(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c != 0x7F) {
            out += char(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::string ShowProblem::text() const {
    // Names and values quoted from the file may hold control characters.
    std::string line = at.file + ":";
    if (at.line > 0) line += std::to_string(at.line) + ":" + std::to_string(at.column) + ":";
    return oneLine(line + " " + what);
}

bool parseShowText(const std::string& text, const std::string& path, ShowFile& show, ShowProblem& error) {
    show = ShowFile();
    if (text.size() > kMostFileBytes) {
        error = wholeFileProblem(path, "larger than " + std::to_string(kMostFileBytes >> 20) + " MiB; not a show file");
        return false;
    }
    const auto [strayLine, strayColumn] = strayNonAscii(text);
    if (strayLine > 0) {
        error.at = {path, strayLine, strayColumn};
        error.what = "a character outside ASCII stands outside a string or a comment";
        return false;
    }
    toml::parse_result parsed = toml::parse(std::string_view(text), path);
    if (!parsed) {
        const toml::parse_error& e = parsed.error();
        error = {{path, int(e.source().begin.line), int(e.source().begin.column)}, std::string(e.description())};
        return false;
    }
    Reader reader(path, show);
    try {
        reader.read(parsed.table());
    } catch (const Stop& stop) {
        error = stop.problem;
        return false;
    }
    return true;
}

bool readShowFile(const std::string& path, ShowFile& show, ShowProblem& error) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) {
        error = wholeFileProblem(path, "cannot read the show file: " + ec.message());
        return false;
    }
    if (size > kMostFileBytes) {
        error = wholeFileProblem(path, "larger than " + std::to_string(kMostFileBytes >> 20) + " MiB; not a show file");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        error = wholeFileProblem(path, "cannot read the show file");
        return false;
    }
    return parseShowText(text.str(), path, show, error);
}

bool buildShowContent(const ShowFile& show, ShowContent& content, ShowProblem& error,
                      const std::function<const PixelArray*(const std::string& path)>& decoded) {
    content = ShowContent();
    resetPictureBudget();
    for (const ShowList& list : show.lists) {
        content.lists.push_back(std::make_unique<ImageList>());
        for (const std::string& file : list.files) {
            std::string reason;
            if (!content.lists.back()->tryAdd(file, reason, decoded ? decoded(file) : nullptr)) {
                error = {list.at, "the list '" + list.name + "': " + reason};
                return false;
            }
        }
    }
    for (const ShowEntry& entry : show.entries) {
        ParamValues values;
        for (const ParamSpec& spec : entry.cls->params) {
            ParamValue v;
            v.number = spec.defaultValue;
            const auto written = entry.params.find(spec.key);
            if (written != entry.params.end()) {
                const WrittenParam& w = written->second;
                v = w.value;
                if (spec.type == ParamType::Picture) v.picture = content.lists[size_t(w.list)]->get(w.picture);
                if (spec.type == ParamType::Sequence) v.list = content.lists[size_t(w.list)].get();
                if (spec.type == ParamType::EffectRef) v.effect = content.effects[size_t(w.effect)].get();
            }
            values.values[spec.key] = v;
        }
        if (entry.cls->check) {
            const std::string wrong = entry.cls->check(values);
            if (!wrong.empty()) {
                error = {entry.at, wrong};
                return false;
            }
        }
        std::unique_ptr<Effect> effect = entry.cls->make(values);
        for (const ShowSegment& s : entry.segments) {
            const Vector3 from(float(s.from[0]), float(s.from[1]), float(s.from[2]));
            const Vector3 to(float(s.to[0]), float(s.to[1]), float(s.to[2]));
            const int fromInt = int(s.from[0]), toInt = int(s.to[0]);
            switch (s.target) {
                case SegmentTarget::Color:
                    effect->addColorSegment({Color(uint32_t(fromInt)), Color(uint32_t(toInt)), s.start, s.end});
                    break;
                case SegmentTarget::Opacity: effect->addOpacitySegment({fromInt, toInt, s.start, s.end}); break;
                case SegmentTarget::Amount: effect->addAmountSegment({fromInt, toInt, s.start, s.end}); break;
                case SegmentTarget::Position2D:
                    effect->addPosition2DSegment({from.x, from.y, to.x, to.y, s.start, s.end});
                    break;
                case SegmentTarget::Position: effect->addPositionSegment({from, to, s.start, s.end}); break;
                case SegmentTarget::Target: effect->addTargetSegment({from, to, s.start, s.end}); break;
                case SegmentTarget::Angles: effect->addAngleSegment({from, to, s.start, s.end}); break;
                case SegmentTarget::Track: effect->addObjectTrack({from.x, to.x, s.start, s.end}); break;
            }
        }
        effect->layerMode = entry.layerMode;
        effect->layerIndex = entry.layer;
        effect->setTimeWindow(entry.start, entry.end);
        content.effects.push_back(std::move(effect));
    }
    return true;
}

void installShow(Timeline& timeline, const ShowFile& show, const ShowContent& content) {
    timeline.clearEffects();
    timeline.setEndTime(show.end);
    for (const auto& e : content.effects) timeline.addEffect(e.get());
}
