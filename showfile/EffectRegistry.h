// The effect classes a show file can name. Each class is listed once, with its parameters (type, default,
// range and a line of meaning), the segment targets its update evaluates, and a factory that builds the
// effect from resolved values. The show-file parser, `softshow --effects` and the gallery all read this
// one table; nothing else describes a parameter.
//
// A factory constructs the effect first and sets its parameters after, in a fixed order, so the random
// numbers a constructor draws come in the order the effects stand in the file.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pixel/Vector.h"
#include "timeline/Effect.h"

class ImageList;
class PixelArray;

enum class ParamType {
    Integer,   // a whole number within [min, max]
    Number,    // any number within [min, max], kept as a float
    Colour,    // 0xRRGGBB
    Flag,      // true or false
    Picture,   // "list:index" (or "list", its first picture)
    Sequence,  // the name of an image list, shown as an animation
    Scene,     // the path of a 3DS file
    EffectRef, // the id of an effect earlier in the file
    Vector2,   // [x, y]
    Vector3,   // [x, y, z]
};

struct ParamSpec {
    const char* key;
    ParamType type;
    double defaultValue;  // numbers, colours and flags (0 or 1); the others default to none
    double min, max;      // Integer and Number
    const char* about;
    bool required = false;  // Picture, Sequence, Scene, EffectRef: the entry must give it
};

// What a segment moves. The keys are those of a segment table in a show file.
enum class SegmentTarget { Color, Opacity, Amount, Position2D, Position, Target, Angles, Track };

struct SegmentKind {
    const char* key;
    SegmentTarget target;
    ParamType valueType;  // Integer (opacity, amount), Number (track), Colour, Vector2 or Vector3
    double min, max;      // Integer and Number values
    const char* about;
};
const std::vector<SegmentKind>& segmentKinds();

// A parameter's resolved value; which member holds it follows the ParamType.
struct ParamValue {
    double number = 0;             // Integer, Number, Colour, Flag
    Vector3 vector{0, 0, 0};       // Vector2 (z unused), Vector3
    std::string path;              // Scene: a path that opens
    PixelArray* picture = nullptr; // Picture (not owned)
    ImageList* list = nullptr;     // Sequence (not owned)
    const Effect* effect = nullptr;// EffectRef (not owned)
    bool given = false;            // written in the file, not the default
};

// The values of one effect entry, every parameter of its class present (defaults filled in).
class ParamValues {
public:
    std::map<std::string, ParamValue> values;

    int integer(const char* key) const { return int(at(key).number); }
    float number(const char* key) const { return float(at(key).number); }
    uint32_t colour(const char* key) const { return uint32_t(at(key).number); }
    bool flag(const char* key) const { return at(key).number != 0; }
    bool given(const char* key) const { return at(key).given; }
    const ParamValue& at(const char* key) const;  // a key the class does not declare is a programming error
};

struct EffectClass {
    const char* name;
    const char* about;
    std::vector<ParamSpec> params;
    std::vector<SegmentTarget> moves;  // the segment targets its update evaluates
    std::unique_ptr<Effect> (*make)(const ParamValues& values);
    bool drawsNothing = false;  // a placeholder of the library
    // Checks the values as a whole once pictures are loaded; returns what is wrong, or "" when all is well.
    std::string (*check)(const ParamValues& values) = nullptr;
};

const std::vector<EffectClass>& effectClasses();
// By name, with or without the "FX_" prefix; null when none.
const EffectClass* findEffectClass(const std::string& name);
const ParamSpec* findParam(const EffectClass& cls, const std::string& key);
const SegmentKind* findSegmentKind(const std::string& key);
const char* typeName(ParamType type);
// A default as it would be written in a show file ("0x000000", "0.05", "false"), or "" for none.
std::string defaultText(const ParamSpec& spec);

// The text of `softshow --effects`: every class with its parameters and segment targets.
std::string describeEffectClasses();

// Of `candidates`, the one nearest to `word` by edit distance, when it is near enough to be a likely
// typing slip; "" otherwise.
std::string nearestName(const std::string& word, const std::vector<std::string>& candidates);
