#include "showfile/EffectRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "effects/filters/FX_Blur.h"
#include "effects/filters/FX_Contrast.h"
#include "effects/filters/FX_DiscoMosaic.h"
#include "effects/filters/FX_FillColor.h"
#include "effects/filters/FX_FrameBuffer.h"
#include "effects/filters/FX_Invert.h"
#include "effects/filters/FX_Mosaic.h"
#include "effects/filters/FX_MotionBlur.h"
#include "effects/filters/FX_Noise.h"
#include "effects/filters/FX_RadialBlur.h"
#include "effects/filters/FX_Zoom.h"
#include "effects/generators/FX_2DTunnel.h"
#include "effects/generators/FX_Brownian.h"
#include "effects/generators/FX_Fractal.h"
#include "effects/generators/FX_GridExpander.h"
#include "effects/generators/FX_Image.h"
#include "effects/generators/FX_Lights.h"
#include "effects/generators/FX_Metaballs2D.h"
#include "effects/generators/FX_Parallax.h"
#include "effects/generators/SineTable.h"
#include "effects/generators/FX_ShowBuffer.h"
#include "effects/generators/FX_Sprite.h"
#include "effects/generators/FX_SpriteRotate.h"
#include "effects/generators/FX_Sticks.h"
#include "effects/generators/FX_VLines.h"
#include "pixel/Numeric.h"
#include "scene3d/FX_3ds.h"

namespace {

constexpr uint32_t W = kFrameWidth, H = kFrameHeight;
constexpr double kBig = 1e6;  // bound of free numbers (positions, angles): far past any useful value

using T = ParamType;
using S = SegmentTarget;

// Parameters several classes share, with one meaning each.
ParamSpec copyAddSubtract(double fallback) {
    return {"blend", T::Integer, fallback, 0, 2, "0 copy, 1 add, 2 subtract"};
}
ParamSpec opacity() { return {"opacity", T::Integer, 0, 0, 255, "fade, 0..255 (segments move it)"}; }
ParamSpec texture(const char* about) { return {"texture", T::Picture, 0, 0, 0, about, true}; }

std::string checkImage(const ParamValues& v) {
    if (v.given("picture") == v.given("sequence")) return "an Image takes a picture or a sequence (one of the two)";
    return "";
}

std::string checkGrid(const ParamValues& v) {
    const PixelArray* t = v.at("texture").picture;
    if (t->width == 256 && t->height == 256) return "";
    return "the texture of a GridExpander must be 256 x 256, not " + std::to_string(t->width) + " x " +
           std::to_string(t->height);
}

std::string checkSprite(const ParamValues& v) {
    const int mode = v.integer("mode");
    if (mode < 4 || mode > 6) return "";
    if (std::FILE* f = std::fopen(kSineTableFile, "rb")) {
        std::fclose(f);
        return "";
    }
    return std::string("rotated sprites (modes 4-6) need ") + kSineTableFile + " in the show folder";
}

std::unique_ptr<Effect> makeFill(const ParamValues& v) {
    auto e = std::make_unique<FX_FillColor>(W, H, v.integer("blend"));
    e->setPacked(v.colour("color"));
    return e;
}

std::unique_ptr<Effect> makeNoise(const ParamValues& v) {
    auto e = std::make_unique<FX_Noise>(W, H, v.integer("flags"));
    if (v.given("blend")) e->setBlendMode(v.integer("blend"));
    e->setPacked(v.colour("color"));
    e->setRadius(v.integer("radius"));
    e->setAmount(v.integer("amount"));
    return e;
}

std::unique_ptr<Effect> makeImage(const ParamValues& v) {
    auto e = std::make_unique<FX_Image>(W, H, nullptr);
    e->setBlendMode(v.integer("blend"));
    e->setSourceImage(v.at("picture").picture);
    e->setImageSequence(v.at("sequence").list);
    e->setOpacity(v.integer("opacity"));
    e->randomPosition = v.flag("random");
    return e;
}

std::unique_ptr<Effect> makeSprite(const ParamValues& v) {
    auto e = std::make_unique<FX_Sprite>(W, H, v.at("texture").picture, v.integer("mode"));
    e->setOpacity(v.integer("opacity"));
    e->setPosition(v.at("position").vector);
    e->angles = v.at("angles").vector;
    return e;
}

std::unique_ptr<Effect> makeGrid(const ParamValues& v) {
    auto e = std::make_unique<FX_GridExpander>(W, H, uint32_t(v.integer("flags")));
    e->setBlendMode(v.integer("blend"));
    e->setSourceImage(v.at("texture").picture);
    return e;
}

std::unique_ptr<Effect> makeScene(const ParamValues& v) {
    auto e = std::make_unique<FX_3ds>(W, H, v.at("scene").path);
    e->objectRenderMode = v.integer("render");
    e->objectRenderValue = v.number("rate");
    e->timeScale = v.number("time-scale");
    return e;
}

// Classes that take their texture as the source image.
template <class E>
std::unique_ptr<Effect> withTexture(const ParamValues& v) {
    auto e = std::make_unique<E>(W, H);
    e->setSourceImage(v.at("texture").picture);
    return e;
}

std::vector<EffectClass> makeClasses() {
    const double kFlagBits = 0xFFFF;
    return {
        {"FillColor", "fills the frame with a colour, or adds or subtracts it",
         {{"blend", T::Integer, 0, 0, 2, "0 fill, 1 add, 2 subtract"}, {"color", T::Colour, 0, 0, 0, "the colour"}},
         {S::Color}, makeFill},
        {"Contrast", "remaps every channel through a contrast curve",
         {{"contrast", T::Number, 0, -kBig, kBig, "the curve's angle, radians (0.5 is strong)"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             auto e = std::make_unique<FX_Contrast>(W, H);
             e->contrast = v.number("contrast");
             return e;
         }},
        {"RadialBlur", "smears the frame outward from its centre",
         {{"strength", T::Number, 0.05, 0, 1, "fraction of the way to the centre a sample moves"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             return std::make_unique<FX_RadialBlur>(W, H, 0, v.number("strength"));
         }},
        {"Noise", "damages the frame like a bad video signal",
         {{"flags", T::Integer, 0, 0, kFlagBits,
           "passes: 0x01 grain, 0x02/0x04/0x08 jitter, 0x10 scratches, 0x20 lines, 0x40 bands, 0x80 column swap, "
           "0x100 row swap"},
          {"blend", T::Integer, -1, -1, 2, "scratches and lines: 1 add, 2 subtract, else copy"},
          {"color", T::Colour, 0, 0, 0, "mask of the grain"},
          {"radius", T::Integer, 0, 0, 512, "largest jitter, pixels"},
          {"amount", T::Integer, 0, 0, 65535, "grain range, largest swap distance"}},
         {S::Amount}, makeNoise},
        {"Blur", "box blur of the frame",
         {{"radius", T::Integer, 4, 0, 4096, "half the box side, pixels"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> { return std::make_unique<FX_Blur>(W, H, v.integer("radius")); }},
        {"MotionBlur", "trails: the frame averaged with the previous result",
         {{"passes", T::Integer, 1, 0, 64, "times the new picture is halved into the history"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             return std::make_unique<FX_MotionBlur>(W, H, v.integer("passes"));
         }},
        {"Invert", "every channel becomes its distance from a level",
         {{"level", T::Integer, 255, 0, 255, "255 negative, 0 unchanged, between: solarised"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             return std::make_unique<FX_Invert>(W, H, uint32_t(v.integer("level")));
         }},
        {"Mosaic", "pixelates the frame into square blocks",
         {{"size", T::Integer, 8, 1, 512, "block side, pixels"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> { return std::make_unique<FX_Mosaic>(W, H, v.integer("size")); }},
        {"DiscoMosaic", "a placeholder: draws nothing", {}, {},
         [](const ParamValues&) -> std::unique_ptr<Effect> { return std::make_unique<FX_DiscoMosaic>(W, H); }, true},
        {"FrameBuffer", "keeps the frame (layer-mode 0) and puts it back later (layer-mode 1, from `layer`)",
         {copyAddSubtract(0)}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             auto e = std::make_unique<FX_FrameBuffer>(W, H, -1, 0);
             e->setBlendMode(v.integer("blend"));
             return e;
         }},
        {"Zoom", "smears the frame towards the right and the bottom", {}, {},
         [](const ParamValues&) -> std::unique_ptr<Effect> { return std::make_unique<FX_Zoom>(W, H, 0); }},
        {"Image", "a picture, or an image list at 25 pictures a second, copied, added, subtracted or blended",
         {{"blend", T::Integer, 0, 0, 3, "0 copy, 1 add, 2 subtract, 3 by alpha and opacity"},
          {"picture", T::Picture, 0, 0, 0, "the picture"},
          {"sequence", T::Sequence, 0, 0, 0, "an image list shown as an animation (instead of a picture)"},
          opacity(),
          {"random", T::Flag, 0, 0, 0, "a larger picture shows a new random window every frame"}},
         {S::Opacity}, makeImage, false, checkImage},
        {"Sprite", "one texture drawn at a moving position",
         {texture("the sprite's picture"),
          {"mode", T::Integer, 0, 0, 9,
           "0 copy, 2 alpha, 3 alpha and fade, 4-6 rotated, 7 zoomed, 8 add, 9 subtract"},
          opacity(),
          {"position", T::Vector3, 0, -kBig, kBig, "x, y (top-left; mode 7 centre) and zoom"},
          {"angles", T::Vector3, 0, -kBig, kBig, "rotation; z is the angle of modes 4-6, 256 a turn"}},
         {S::Opacity, S::Position, S::Position2D, S::Angles}, makeSprite, false, checkSprite},
        {"SpriteRotate", "a placeholder: draws nothing", {}, {},
         [](const ParamValues&) -> std::unique_ptr<Effect> { return std::make_unique<FX_SpriteRotate>(W, H); }, true},
        {"Parallax", "writes the frame back mirrored and scrolling",
         {{"flags", T::Integer, 5, 0, 7, "1 roll down, 2 slide sideways, 4 a random speed every frame"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             return std::make_unique<FX_Parallax>(W, H, uint32_t(v.integer("flags")));
         }},
        {"VLines", "the music's spectrum as mirrored red bars", {}, {},
         [](const ParamValues&) -> std::unique_ptr<Effect> { return std::make_unique<FX_VLines>(W, H); }},
        {"GridExpander", "a 256 x 256 texture through a coarse grid: ray-cast tunnels and planes, swirls",
         {{"flags", T::Integer, 1, 0, 127,
           "1 round tunnel, 2 floor and ceiling, 4 square tunnel, 8 swirl; + 16 scroll, 32 ripple, 64 wave"},
          copyAddSubtract(0), texture("a 256 x 256 picture")},
         {S::Position, S::Target}, makeGrid, false, checkGrid},
        {"2DTunnel", "a table-driven polar tunnel, into its own buffer (show it with ShowBuffer)",
         {texture("a picture of at least 256 x 256")}, {}, withTexture<FX_2DTunnel>},
        {"Fractal", "a Mandelbrot zoom, into its own buffer (show it with ShowBuffer)", {}, {},
         [](const ParamValues&) -> std::unique_ptr<Effect> { return std::make_unique<FX_Fractal>(W, H); }},
        {"Metaballs2D", "a grey metaball field added to the frame",
         {{"balls", T::Integer, 8, 0, 32, "number of balls"}}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             return std::make_unique<FX_Metaballs2D>(W, H, v.integer("balls"));
         }},
        {"Brownian", "a fresh 3D random walk drawn every frame", {}, {},
         [](const ParamValues&) -> std::unique_ptr<Effect> { return std::make_unique<FX_Brownian>(W, H); }},
        {"Lights", "its texture as a pulsing glow, into its own buffer (show it with ShowBuffer)",
         {texture("the glow's picture")}, {}, withTexture<FX_Lights>},
        {"Sticks", "swinging mirrored sticks painting trails, into its own buffer (show it with ShowBuffer)", {}, {},
         [](const ParamValues&) -> std::unique_ptr<Effect> { return std::make_unique<FX_Sticks>(W, H); }},
        {"ShowBuffer", "shows the own buffer of an earlier effect (2DTunnel, Fractal, Lights, Sticks)",
         {{"source", T::EffectRef, 0, 0, 0, "the id of the effect whose buffer is shown", true}, copyAddSubtract(0)}, {},
         [](const ParamValues& v) -> std::unique_ptr<Effect> {
             return std::make_unique<FX_ShowBuffer>(W, H, v.at("source").effect, v.integer("blend"));
         }},
        {"3ds", "a 3DS scene through the software rasteriser",
         {{"scene", T::Scene, 0, 0, 0, "the 3DS file", true},
          {"render", T::Integer, -999, -999, 7, "render mode forced on every object; -999 keeps their own"},
          {"rate", T::Number, 0.5, -kBig, kBig, "faces a second of the build-up modes"},
          {"time-scale", T::Number, 1, -kBig, kBig, "factor on the scene's own time"}},
         {S::Position, S::Target, S::Angles, S::Track}, makeScene},
    };
}

std::string numberText(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

}  // namespace

const ParamValue& ParamValues::at(const char* key) const {
    const auto it = values.find(key);
    if (it == values.end()) {
        std::fprintf(stderr, "softshow: internal error: no parameter '%s'\n", key);
        std::abort();
    }
    return it->second;
}

const std::vector<SegmentKind>& segmentKinds() {
    static const std::vector<SegmentKind> kinds = {
        {"color", S::Color, T::Colour, 0, 0, "[0xRRGGBB, 0xRRGGBB]: the colour"},
        {"opacity", S::Opacity, T::Integer, 0, 255, "[from, to]: the fade, 0..255"},
        {"amount", S::Amount, T::Integer, 0, 65535, "[from, to]: the noise amount, 0..65535"},
        {"position2d", S::Position2D, T::Vector2, 0, 0, "[[x, y], [x, y]]: x and y of the position (z kept)"},
        {"position", S::Position, T::Vector3, 0, 0, "[[x, y, z], [x, y, z]]: the position"},
        {"target", S::Target, T::Vector3, 0, 0, "[[x, y, z], [x, y, z]]: the camera target"},
        {"angles", S::Angles, T::Vector3, 0, 0, "[[x, y, z], [x, y, z]]: the rotation, radians"},
        {"track", S::Track, T::Number, -kBig, kBig, "[from, to]: the scene's own time, replacing the show time"},
    };
    return kinds;
}

const std::vector<EffectClass>& effectClasses() {
    static const std::vector<EffectClass> classes = makeClasses();
    return classes;
}

const EffectClass* findEffectClass(const std::string& name) {
    const std::string bare = name.rfind("FX_", 0) == 0 ? name.substr(3) : name;
    for (const EffectClass& c : effectClasses())
        if (bare == c.name) return &c;
    return nullptr;
}

const ParamSpec* findParam(const EffectClass& cls, const std::string& key) {
    for (const ParamSpec& p : cls.params)
        if (key == p.key) return &p;
    return nullptr;
}

const SegmentKind* findSegmentKind(const std::string& key) {
    for (const SegmentKind& k : segmentKinds())
        if (key == k.key) return &k;
    return nullptr;
}

const char* typeName(ParamType type) {
    switch (type) {
        case T::Integer: return "whole number";
        case T::Number: return "number";
        case T::Colour: return "colour 0xRRGGBB";
        case T::Flag: return "true or false";
        case T::Picture: return "picture \"list:index\"";
        case T::Sequence: return "image list name";
        case T::Scene: return "3DS file";
        case T::EffectRef: return "effect id";
        case T::Vector2: return "[x, y]";
        default: return "[x, y, z]";
    }
}

std::string defaultText(const ParamSpec& spec) {
    switch (spec.type) {
        case T::Integer:
        case T::Number: return numberText(spec.defaultValue);
        case T::Colour: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%06X", unsigned(spec.defaultValue));
            return text;
        }
        case T::Flag: return spec.defaultValue != 0 ? "true" : "false";
        case T::Vector2: return "[0, 0]";
        case T::Vector3: return "[0, 0, 0]";
        default: return "";
    }
}

std::string describeEffectClasses() {
    std::string out =
        "Every effect entry takes: fx (the class), at = [start, end] (default: the whole show), id, layer-mode\n"
        "(-1 none, 0 save the frame into a layer of its own, 1 load layer `layer`), layer, and segments.\n"
        "Segment targets ({ TARGET = [from, to], at = [start, end] }):\n";
    auto row = [](const std::string& key, const std::string& text) {
        return "  " + key + std::string(key.size() < 12 ? 12 - key.size() : 1, ' ') + text + "\n";
    };
    for (const SegmentKind& k : segmentKinds()) out += row(k.key, k.about);
    for (const EffectClass& c : effectClasses()) {
        out += "\n" + std::string(c.name) + ": " + c.about + "\n";
        for (const ParamSpec& p : c.params) {
            std::string type = typeName(p.type);
            if (p.type == T::Integer || (p.type == T::Number && p.max < kBig))
                type += ", " + numberText(p.min) + ".." + numberText(p.max);
            const std::string d = defaultText(p);
            type += p.required ? ", required" : d.empty() ? "" : ", default " + d;
            out += row(p.key, std::string(p.about) + " (" + type + ")");
        }
        if (!c.moves.empty()) {
            out += "  segments: ";
            for (SegmentTarget t : c.moves)
                for (const SegmentKind& k : segmentKinds())
                    if (k.target == t) out += std::string(t == c.moves.front() ? "" : ", ") + k.key;
            out += "\n";
        }
    }
    return out;
}

std::string nearestName(const std::string& word, const std::vector<std::string>& candidates) {
    // Edits (insert, delete, replace, swap two neighbours), letters compared without case.
    auto distance = [](const std::string& a, const std::string& b) {
        auto same = [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
        };
        std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
        for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
        for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
        for (size_t i = 1; i <= a.size(); ++i)
            for (size_t j = 1; j <= b.size(); ++j) {
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
                if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1]))
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        return d[a.size()][b.size()];
    };
    if (word.size() > 64) return "";
    std::string best;
    size_t bestDistance = SIZE_MAX;
    for (const std::string& c : candidates) {
        const size_t d = distance(word, c);
        if (d < bestDistance) bestDistance = d, best = c;
    }
    // A slip: at most a third of the word's letters (and at least one) differ.
    return bestDistance <= std::max<size_t>(1, (word.size() + 2) / 3) ? best : "";
}
