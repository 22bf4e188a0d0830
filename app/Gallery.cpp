#include "app/Gallery.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "effects/filters/FX_Blur.h"
#include "effects/filters/FX_Contrast.h"
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
#include "effects/generators/FX_ShowBuffer.h"
#include "effects/generators/FX_Sprite.h"
#include "effects/generators/FX_Sticks.h"
#include "effects/generators/FX_VLines.h"
#include "platform/PngWriter.h"
#include "scene3d/FX_3ds.h"
#include "scene3d/Mesh.h"
#include "showfile/EffectRegistry.h"
#include "timeline/Timeline.h"
#include "tools/assetgen/SineTableFile.h"
#include "tools/assetgen/ThreeDsWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr float kShots[] = {1.0f, 2.5f, 4.0f};
constexpr float kFps = 25.0f;

// A test picture: a colour gradient, a grid of lines and three discs.
void testPicture(PixelArray& p) {
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x) {
            uint32_t r = x * 255 / p.width, g = y * 255 / p.height, b = 128;
            if (x % 64 == 0 || y % 64 == 0) r = g = b = 255;
            const double d1 = std::hypot(double(x) - 150, double(y) - 190), d2 = std::hypot(double(x) - 360, double(y) - 120);
            if (d1 < 70) r = 250, g = 220, b = 40;
            if (d2 < 50) r = 40, g = 60, b = 220;
            p.pixels[y * p.width + x] = r << 16 | g << 8 | b;
        }
}

// A 256 x 256 texture that tiles: rings and a checker.
void tileTexture(PixelArray& t) {
    for (int v = 0; v < 256; ++v)
        for (int u = 0; u < 256; ++u) {
            const int ring = int(std::hypot(u - 128, v - 128)) / 16 % 2, tile = (u / 32 + v / 32) % 2;
            t.pixels[v * 256 + u] = 0xFF000000u | uint32_t(ring ? 230 : 50) << 16 | uint32_t(tile ? 160 : 70) << 8 | 120u;
        }
}

// A round glowing sprite with alpha.
void glowSprite(PixelArray& s) {
    for (int y = 0; y < int(s.height); ++y)
        for (int x = 0; x < int(s.width); ++x) {
            const double r = std::hypot(x - s.width / 2.0, y - s.height / 2.0) / (s.width / 2.0);
            const uint32_t a = r < 1 ? uint32_t(255 * (1 - r)) : 0;
            s.pixels[y * int(s.width) + x] = a << 24 | (a * 255 / 255) << 16 | (a * 200 / 255) << 8 | (a * 90 / 255);
        }
}

// A moving spectrum, so the bars have something to show.
struct SweepSpectrum : SpectrumSource {
    void fetchSpectrum(float t, float* bands) override {
        for (int i = 0; i < kSpectrumBands; ++i)
            bands[i] = float((60.0 + 50.0 * std::sin(i * 0.05 + t * 4.0)) / 48000.0);
    }
};

struct Assets {
    PixelArray picture{512, 384}, texture{256, 256}, sprite{128, 128}, tall{512, 1024};
    std::string dir;
};

struct Entry {
    const char* name;
    const char* about;
    // Builds the effects to stack over the test picture; returns them in stacking order.
    std::function<std::vector<std::unique_ptr<Effect>>(Assets&)> build;
    bool overPicture = true;  // over the moving test picture, else over a dark fill
};

template <class T, class... Args>
std::unique_ptr<Effect> make(Args&&... args) {
    return std::make_unique<T>(512u, 384u, std::forward<Args>(args)...);
}

std::vector<std::unique_ptr<Effect>> one(std::unique_ptr<Effect> e) {
    std::vector<std::unique_ptr<Effect>> v;
    v.push_back(std::move(e));
    return v;
}

// The gallery's textured cube; `mode` -999 keeps the scene's own render mode, others are pushed to its
// meshes (with `rate` faces a second for the build-up modes).
std::unique_ptr<Effect> cube(Assets& a, int mode, float rate) {
    auto e = std::make_unique<FX_3ds>(512u, 384u, a.dir + "/cube.3ds");
    e->objectRenderMode = mode;
    e->objectRenderValue = rate;
    return e;
}

// An effect that draws into its own buffer, followed by the one that shows that buffer.
std::vector<std::unique_ptr<Effect>> shown(std::unique_ptr<Effect> e, int mode) {
    std::vector<std::unique_ptr<Effect>> v;
    auto show = std::make_unique<FX_ShowBuffer>(512u, 384u, e.get(), mode);
    v.push_back(std::move(e));
    v.push_back(std::move(show));
    return v;
}

std::vector<Entry> entries() {
    return {
        {"FX_FillColor", "fill, add or subtract a colour that moves along segments",
         [](Assets&) {
             auto e = make<FX_FillColor>(1);
             e->addColorSegment({Color(0x000000u), Color(0x8040C0u), 0, 4});
             return one(std::move(e));
         }},
        {"FX_Image", "a picture with alpha blended by opacity, fading in", [](Assets& a) {
             auto e = make<FX_Image>(nullptr);
             static PixelArray card(512, 384);
             for (uint32_t i = 0; i < card.size; ++i) card.pixels[i] = ((i % 512 / 32 + i / 512 / 32) % 2 ? 0xFF000000u : 0x40000000u) | 0x00E0E0E0u;
             e->setSourceImage(&card);
             e->setBlendMode(3);
             e->addOpacitySegment({0, 255, 0, 4});
             (void)a;
             return one(std::move(e));
         }},
        {"FX_Noise", "row swap, noise lines and swaying bands", [](Assets&) {
             std::vector<std::unique_ptr<Effect>> v;
             auto lines = make<FX_Noise>(0x20);
             lines->setBlendMode(1);
             auto rows = make<FX_Noise>(0x100);
             rows->setAmount(24);
             v.push_back(make<FX_Noise>(0x40));
             v.push_back(std::move(rows));
             v.push_back(std::move(lines));
             return v;
         }},
        {"FX_Contrast", "contrast through the angle 0.5", [](Assets&) {
             auto e = make<FX_Contrast>();
             e->contrast = 0.5f;
             return one(std::move(e));
         }},
        {"FX_RadialBlur", "zoom blur outward from the centre, strength 0.05", [](Assets&) { return one(make<FX_RadialBlur>(0, 0.05f)); }},
        {"FX_Sprite", "an additive glow moving across, faded by opacity", [](Assets& a) {
             auto e = make<FX_Sprite>(&a.sprite, 8);
             e->setOpacity(255);
             e->addPosition2DSegment({0, 100, 384, 200, 0, 4});
             return one(std::move(e));
         }},
        {"FX_Sprite (rotated)", "mode 4: the texture turning about its centre", [](Assets& a) {
             const fs::path cwd = fs::current_path();
             fs::current_path(a.dir);  // the rotating modes read sintab.dat here
             auto e = make<FX_Sprite>(&a.texture, 4);
             fs::current_path(cwd);
             e->setPosition(Vector3(128, 64, 0));
             e->addAngleSegment({0, 0, 0, 0, 0, 256, 0, 4});
             return one(std::move(e));
         }},
        {"FX_Parallax", "mirrored and rolling at a random speed", [](Assets&) { return one(make<FX_Parallax>(5u)); }},
        {"FX_VLines", "spectrum bars (over a moving test spectrum)", [](Assets&) { return one(make<FX_VLines>()); }},
        {"FX_GridExpander (tunnel)", "ray-cast round tunnel, camera flying in", [](Assets& a) {
             auto e = make<FX_GridExpander>(1u);
             e->setSourceImage(&a.texture);
             e->setBlendMode(0);
             e->addPositionSegment({0, 100, 0, 0, -100, 3000, 0, 4});
             e->addTargetSegment({-60, 0, 0, 0, 0, -300, 0, 4});
             return one(std::move(e));
         }, false},
        {"FX_GridExpander (planes)", "floor and ceiling", [](Assets& a) {
             auto e = make<FX_GridExpander>(2u);
             e->setSourceImage(&a.texture);
             e->setBlendMode(0);
             e->addPositionSegment({0, 0, 0, 0, 0, 2000, 0, 4});
             return one(std::move(e));
         }, false},
        {"FX_GridExpander (swirl)", "2D swirl round three moving centres, with wave", [](Assets& a) {
             auto e = make<FX_GridExpander>(8u | 64u);
             e->setSourceImage(&a.texture);
             e->setBlendMode(0);
             return one(std::move(e));
         }, false},
        {"FX_3ds", "a textured cube in the textured mode", [](Assets& a) { return one(cube(a, -999, 0)); }},
        {"FX_3ds (flat)", "render mode 1: flat faces lit by their normal", [](Assets& a) { return one(cube(a, 1, 0)); }},
        {"FX_3ds (wireframe)", "render mode 7: anti-aliased edges", [](Assets& a) { return one(cube(a, 7, 0)); }},
        {"FX_3ds (build-up)", "render mode -2: the faces appear three a second, as wires", [](Assets& a) {
             return one(cube(a, -2, 3.0f));
         }},
        {"FX_Blur", "box blur, radius 4", [](Assets&) { return one(make<FX_Blur>(4)); }},
        {"FX_MotionBlur", "trails behind a moving sprite", [](Assets& a) {
             std::vector<std::unique_ptr<Effect>> v;
             auto s = make<FX_Sprite>(&a.sprite, 8);
             s->setOpacity(255);
             s->addPosition2DSegment({0, 0, 384, 256, 0, 4});
             v.push_back(make<FX_FillColor>(0));
             v.push_back(std::move(s));
             v.push_back(make<FX_MotionBlur>(2));
             return v;
         }},
        {"FX_Invert", "the negative (level 255)", [](Assets&) { return one(make<FX_Invert>(255u)); }},
        {"FX_Mosaic", "16-pixel blocks", [](Assets&) { return one(make<FX_Mosaic>(16)); }},
        {"FX_FrameBuffer", "the picture saved before an invert and added back after it", [](Assets&) {
             std::vector<std::unique_ptr<Effect>> v;
             v.push_back(make<FX_FrameBuffer>(0, 0));
             v.push_back(make<FX_Invert>(255u));
             auto load = make<FX_FrameBuffer>(1, 0);
             load->setBlendMode(2);
             v.push_back(std::move(load));
             return v;
         }},
        {"FX_Zoom", "zoom smear, right and down", [](Assets&) { return one(make<FX_Zoom>(0)); }},
        {"FX_2DTunnel", "table-driven polar tunnel (shown with FX_ShowBuffer)", [](Assets& a) {
             auto e = make<FX_2DTunnel>();
             e->setSourceImage(&a.texture);
             return shown(std::move(e), 0);
         }},
        {"FX_Fractal", "Mandelbrot zoom, 0.85 per frame (shown with FX_ShowBuffer; started wide, so the three"
                       " frames fall where the edge of the set is still detailed)", [](Assets&) {
             zoomX = zoomY = -40.0;
             return shown(make<FX_Fractal>(), 0);
         }},
        {"FX_Metaballs2D", "eight metaballs added to the picture", [](Assets&) { return one(make<FX_Metaballs2D>(8)); }},
        {"FX_Brownian", "a new random walk every frame", [](Assets&) { return one(make<FX_Brownian>()); }},
        {"FX_Lights", "its texture as a pulsing glow from the top left (shown added with FX_ShowBuffer)", [](Assets& a) {
             lightPhase = 0;
             auto e = make<FX_Lights>();
             e->setSourceImage(&a.texture);
             return shown(std::move(e), 1);
         }},
        {"FX_Sticks", "swinging mirrored sticks painting trails (shown with FX_ShowBuffer)", [](Assets&) {
             sticksPhase = 0;
             auto e = make<FX_Sticks>();
             e->fill(0);  // its own buffer starts blue, like every effect's; the trails read better on black
             return shown(std::move(e), 1);
         }},
    };
}

// The class of a gallery entry ("FX_3ds (flat)" is 3ds) as the show-file registry describes it: its
// line and its parameters with their defaults.
std::string classNotes(const std::string& entry) {
    const EffectClass* c = findEffectClass(entry.substr(0, entry.find(' ')));
    if (!c) return "";
    std::string notes = "<br><small>show files: fx = \"" + std::string(c->name) + "\": " + c->about;
    for (const ParamSpec& p : c->params) {
        const std::string d = defaultText(p);
        notes += std::string("; ") + p.key + (d.empty() ? "" : " = " + d);
    }
    return notes + "</small>";
}

std::string fileName(const std::string& entry, float t) {
    std::string base;
    for (char c : entry) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            base += char(std::tolower(static_cast<unsigned char>(c)));
        else if (!base.empty() && base.back() != '-')
            base += '-';
    }
    while (!base.empty() && base.back() == '-') base.pop_back();
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%04.1f.png", double(t));
    return base + suffix;
}

bool writeAssets(Assets& a) {
    testPicture(a.picture);
    tileTexture(a.texture);
    glowSprite(a.sprite);
    std::string reason;
    if (!writeSineTable(a.dir + "/sintab.dat", reason)) return false;
    if (!writePng(a.dir + "/check.png", a.texture.pixels, 256, 256, reason)) return false;
    tds::SceneData cube;
    cube.materials = {{"check", 3, "check.png"}};
    cube.meshes = {tds::texturedBox("cube", {-40, -40, -40}, {40, 40, 40}, "check")};
    return tds::write3dsFile(a.dir + "/cube.3ds", cube, reason);
}

// What every effect is drawn over: the test picture with a glow crossing it (so that even a filter
// that does not move shows three different frames), or a dark fill.
struct Background {
    Background(Assets& a, bool overPicture, Timeline& timeline) {
        picture.setSourceImage(&a.picture);
        glow.setSourceImage(&a.sprite);
        glow.setOpacity(255);
        glow.addPosition2DSegment({-64, 40, 448, 260, 0, 4});
        dark.setPacked(0x101820);
        std::vector<Effect*> layers{&dark};
        if (overPicture) layers = {&picture, &glow};
        for (Effect* e : layers) {
            e->setTimeWindow(0, 10);
            timeline.addEffect(e);
        }
    }
    FX_Image picture{512, 384, nullptr};
    FX_Sprite glow{512, 384, nullptr, 8};
    FX_FillColor dark{512, 384, 0};
};

// Renders `timeline` at 25 frames a second from 0 and writes the frames at `shots` as `names`.
bool renderShots(Timeline& timeline, const std::vector<float>& shots, const std::vector<std::string>& paths) {
    size_t shot = 0;
    for (int k = 0; shot < shots.size(); ++k) {
        const float t = float(k / double(kFps));
        const PixelArray& frame = timeline.renderFrame(t);
        if (t + 1e-4f < shots[shot]) continue;
        std::string reason;
        if (!writePng(paths[shot], frame.pixels, 512, 384, reason)) {
            std::fprintf(stderr, "softshow: %s\n", reason.c_str());
            return false;
        }
        ++shot;
    }
    return true;
}

Timeline galleryTimeline(SpectrumSource& spectrum) {
    Timeline timeline(1u);
    timeline.setFrameSize(512, 384);
    timeline.setEndTime(10);
    timeline.useExternalTime();
    timeline.setSpectrumSource(&spectrum);
    return timeline;
}

}  // namespace

int writeGallery(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(fs::path(dir) / "assets", ec);
    if (ec) {
        std::fprintf(stderr, "softshow: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    setupShowView();
    Assets assets;
    assets.dir = (fs::path(dir) / "assets").string();
    if (!writeAssets(assets)) {
        std::fprintf(stderr, "softshow: cannot write the gallery's assets in %s\n", assets.dir.c_str());
        return 1;
    }
    SweepSpectrum spectrum;
    const std::vector<float> shots(std::begin(kShots), std::end(kShots));
    int written = 0;
    // The two sources alone at the first shot time: the "before" of every row.
    for (bool overPicture : {true, false}) {
        Timeline timeline = galleryTimeline(spectrum);
        Background background(assets, overPicture, timeline);
        const std::string name = overPicture ? "before-picture.png" : "before-dark.png";
        if (!renderShots(timeline, {kShots[0]}, {(fs::path(dir) / name).string()})) return 1;
        ++written;
    }
    std::ofstream html(fs::path(dir) / "index.html");
    html << "<!doctype html>\n<html><head><meta charset=\"utf-8\"><title>SoftShow effect gallery</title>\n"
            "<style>body{background:#111;color:#ddd;font-family:sans-serif}img{width:256px;margin:2px}"
            "td{vertical-align:top;padding:6px}.before{opacity:.8}</style></head><body>\n<h1>SoftShow effect gallery</h1>\n"
            "<p>Each effect alone over a moving test picture (or a dark fill), 25 frames per second, seed 1: the "
            "source alone at 1 s, then the effect at 1, 2.5 and 4 seconds.</p>\n<table>\n";
    for (const Entry& entry : entries()) {
        Timeline timeline = galleryTimeline(spectrum);
        Background background(assets, entry.overPicture, timeline);
        std::vector<std::unique_ptr<Effect>> effects = entry.build(assets);
        for (auto& e : effects) {
            e->setTimeWindow(0, 10);
            timeline.addEffect(e.get());
        }
        std::vector<std::string> paths;
        html << "<tr><td><b>" << entry.name << "</b><br>" << entry.about << classNotes(entry.name)
             << "</td><td><img class=\"before\" src=\""
             << (entry.overPicture ? "before-picture.png" : "before-dark.png") << "\" alt=\"before\">";
        for (float t : kShots) {
            paths.push_back((fs::path(dir) / fileName(entry.name, t)).string());
            html << "<img src=\"" << fileName(entry.name, t) << "\" alt=\"" << entry.name << " at " << t << " s\">";
        }
        html << "</td></tr>\n";
        if (!renderShots(timeline, shots, paths)) return 1;
        written += int(paths.size());
    }
    html << "</table>\n<p>Placeholders in the library that draw nothing:";
    for (const EffectClass& c : effectClasses())
        if (c.drawsNothing) html << " FX_" << c.name;
    html << ".</p>\n</body></html>\n";
    std::printf("gallery: %d pictures and index.html in %s\n", written, dir.c_str());
    return html ? 0 : 1;
}
