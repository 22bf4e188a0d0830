// Show files: a show written as TOML (docs/show-format.md). Reading one checks everything that can be
// checked without decoding a picture: syntax, classes, parameters and their types and ranges, segment
// targets, list and effect references, and that every named file exists. Building then loads the pictures
// and scenes and constructs the effects; installing hands them to a timeline.
//
// Relative paths are looked up in the show file's folder, then in the working directory (the show folder
// that --data names), so a show kept elsewhere can use the generated show's pictures.
//
// Limits, so that a hostile file cannot exhaust memory: the file at most 1 MiB, 256 image lists of at most
// 10,000 files (20,000 in all; their pixels within the picture budget), 500 effects (each owns a
// frame-sized buffer, so they take at least 384 MiB), 1,000 segments an effect and 100,000 in all.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pixel/ImageList.h"
#include "showfile/EffectRegistry.h"
#include "timeline/Effect.h"
#include "timeline/Timeline.h"

struct SourcePlace {
    std::string file;
    int line = 0, column = 0;
};

// `text` with every control character shown as \xNN: a message quoting what a user wrote stays one line.
std::string oneLine(const std::string& text);

// An error or warning about a show file: "FILE:LINE:COLUMN: what" (no place: "FILE: what").
struct ShowProblem {
    SourcePlace at;
    std::string what;
    std::string text() const;
};

struct ShowList {
    std::string name;
    std::vector<std::string> files;  // resolved, in load order
    SourcePlace at;
};

struct ShowSegment {
    SegmentTarget target;
    double from[3], to[3];  // scalars and colours (0xRRGGBB) in [0]
    float start, end;
};

// A parameter as written: its value, and for references what it names.
struct WrittenParam {
    ParamValue value;       // numbers, vectors, scene paths
    int list = -1;          // Picture, Sequence: index into ShowFile::lists
    int picture = 0;        // Picture: index within the list
    int effect = -1;        // EffectRef: index into ShowFile::entries
    SourcePlace at;
};

struct ShowEntry {
    const EffectClass* cls = nullptr;
    SourcePlace at;
    std::string id;
    float start = 0, end = 0;
    int layerMode = -1, layer = 0;
    std::map<std::string, WrittenParam> params;  // only those written
    std::vector<ShowSegment> segments;           // in file order
};

struct ShowFile {
    std::string path;
    float end = 0;
    std::string music;  // resolved; empty: a silent show
    std::vector<ShowList> lists;
    std::vector<ShowEntry> entries;
    std::vector<std::string> namedFiles;  // the show file and every picture, scene and music file it names
    std::vector<ShowProblem> warnings;
};

// Reads and checks a show file. False with `error` on the first problem.
bool readShowFile(const std::string& path, ShowFile& show, ShowProblem& error);
// The same from text; `path` names it in messages and its folder resolves relative paths.
bool parseShowText(const std::string& text, const std::string& path, ShowFile& show, ShowProblem& error);

// What a built show owns: the image lists and the effects, in stacking order.
struct ShowContent {
    std::vector<std::unique_ptr<ImageList>> lists;
    std::vector<std::unique_ptr<Effect>> effects;
};

// Loads every picture (the picture budget starts afresh) and scene and constructs every effect with its
// window, layer and segments. False with `error` when a picture cannot be decoded or a class's check
// fails; nothing is fatal, so a live show can keep playing what it had. `decoded`, when given, returns
// a picture already decoded from a path (unchanged since), or null: it is copied instead of read again.
bool buildShowContent(const ShowFile& show, ShowContent& content, ShowProblem& error,
                      const std::function<const PixelArray*(const std::string& path)>& decoded = {});

// Replaces the timeline's effects and layers with `content`'s and sets its end time; the frame is kept.
void installShow(Timeline& timeline, const ShowFile& show, const ShowContent& content);
