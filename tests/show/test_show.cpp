// The show end to end: its generated files, its script, its music and its frames. The files are made by
// softshow-assetgen into SOFTSHOW_SHOW_DIR before these tests run (a ctest fixture).
#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <memory>
#include <sstream>
#include <typeinfo>

#include <unistd.h>

#include "app/Runtime.h"
#include "effects/filters/FX_FillColor.h"
#include "effects/filters/FX_Noise.h"
#include "effects/filters/FX_RadialBlur.h"
#include "effects/generators/FX_GridExpander.h"
#include "effects/generators/FX_Parallax.h"
#include "effects/generators/FX_Sprite.h"
#include "scene3d/FX_3ds.h"
#include "show/CompiledShow.h"
#include "platform/AudioTrack.h"
#include "pixel/ImageList.h"
#include "pixel/Random.h"
#include "platform/MessageBox.h"
#include "platform/MusicPlayer.h"
#include "scene3d/Mesh.h"
#include "timeline/Spectrum.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneReader.h"
#include "support/ReferencePicture.h"
#include "timeline/Timeline.h"
#include "tools/assetgen/ShowAssets.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/sha.h>
}

namespace fs = std::filesystem;

namespace {

const fs::path kShow = SOFTSHOW_SHOW_DIR;

// Runs a test from inside the show's folder and comes back.
struct InShow : ::testing::Test {
    void SetUp() override {
        setMessageBoxesEnabled(false);
        ASSERT_TRUE(fs::exists(kShow / "Velm_test2.mp3")) << "the show's files are missing in " << kShow;
        previous = fs::current_path();
        fs::current_path(kShow);
        setupShowView();
    }
    void TearDown() override { fs::current_path(previous); }
    fs::path previous;
};

std::vector<int> activeEntries(ShowContent& show, float t) {
    std::vector<int> active;
    for (size_t i = 0; i < show.effects.size(); ++i)
        if (show.effects[i]->isActive(t)) active.push_back(int(i) + 1);  // index 15 is the never-active one: entry 16
    return active;
}

// The show file played offline from 0 with seed 1, its music the spectrum source.
struct PlayedShow {
    PlayedShow() {
        timeline.useExternalTime();
        music.load("Velm_test2.mp3");
        timeline.setSpectrumSource(&music);
    }
    Timeline timeline{1u};
    ShowContent show = loadShowFile(timeline);
    MusicPlayer music{MusicOutput::None};
};

// A picture by its size and a hash of its words, so pictures of two loadings compare.
std::string pictureKey(const PixelArray* p) {
    if (!p) return "none";
    uint64_t h = 1469598103934665603u;
    for (uint32_t i = 0; i < p->size; ++i) h = (h ^ p->pixels[i]) * 1099511628211u;
    return std::to_string(p->width) + "x" + std::to_string(p->height) + ":" + std::to_string(h);
}

// SHA-256 of a frame's words in memory order, as lowercase hex.
std::string frameDigest(const PixelArray& frame) {
    std::unique_ptr<AVSHA, void (*)(void*)> sha(av_sha_alloc(), av_free);
    uint8_t digest[32];
    av_sha_init(sha.get(), 256);
    av_sha_update(sha.get(), reinterpret_cast<const uint8_t*>(frame.pixels), size_t(frame.size) * 4);
    av_sha_final(sha.get(), digest);
    std::string hex;
    for (uint8_t b : digest) hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
    return hex;
}

std::ostream& operator<<(std::ostream& s, const Vector2& v) { return s << v.x << "," << v.y; }
std::ostream& operator<<(std::ostream& s, const Vector3& v) { return s << v.x << "," << v.y << "," << v.z; }
std::ostream& operator<<(std::ostream& s, const Color& c) { return s << c.r << "," << c.g << "," << c.b << "," << c.packed; }

template <class T>
void put(std::ostream& s, const char* name, const std::vector<LinearInterpolator<T>>& segments) {
    for (const auto& g : segments) s << " " << name << "(" << g.from << " " << g.to << " " << g.startTime << " " << g.endTime << ")";
}

// Everything of a built effect that a show file sets, floats exact: class, window, layer, blend mode, the
// parameter groups with every segment in order, pictures by content, and the fields of each class.
std::string describe(const Effect& e) {
    std::ostringstream s;
    s << std::hexfloat << typeid(e).name() << " [" << e.startTime << ", " << e.endTime << ") blend " << e.blendMode
      << " layer " << e.layerMode << "/" << e.layerIndex << " source " << pictureKey(e.sourceImage) << " sequence";
    for (int i = 0; e.imageSequence && i < e.imageSequence->count; ++i) s << " " << pictureKey(e.imageSequence->get(i));
    s << " colour " << static_cast<const Color&>(e) << " opacity " << e.opacity << " radius " << e.radius << " amount "
      << e.amount << " position " << e.position << " target " << e.target << " angles " << e.angles << " random "
      << e.randomPosition << " render " << e.objectRenderMode << " " << e.objectRenderValue << " scale " << e.timeScale
      << " contrast " << e.contrast;
    put(s, "colour", e.colorSegments), put(s, "opacity", e.opacitySegments), put(s, "amount", e.amountSegments);
    put(s, "xy", e.position2DSegments), put(s, "xyz", e.positionSegments), put(s, "target", e.targetSegments);
    put(s, "angles", e.angleSegments), put(s, "track", e.objectTracks);
    if (auto* n = dynamic_cast<const FX_Noise*>(&e)) {
        s << " flags " << n->flags;
        for (const auto& k : n->streaks) s << " " << k.offset << "/" << k.rate;
    }
    if (auto* b = dynamic_cast<const FX_RadialBlur*>(&e)) s << " strength " << b->strength;
    if (auto* p = dynamic_cast<const FX_Sprite*>(&e)) s << " mode " << p->spriteMode;
    if (auto* g = dynamic_cast<const FX_GridExpander*>(&e)) s << " flags " << g->modeFlags;
    if (auto* p = dynamic_cast<const FX_Parallax*>(&e)) s << " flags " << p->flags;
    if (auto* d = dynamic_cast<const FX_3ds*>(&e)) {
        s << " meshes " << d->scene.meshes.size() << " time " << d->unused << " " << d->timeOffset;
        for (const auto& m : d->scene.meshes) s << " " << m->faces.size() << "/" << m->fileVertices.size();
    }
    return s.str();
}

}  // namespace

TEST_F(InShow, TheShowFileBuildsTheCompiledShowEntryByEntry) {
    Timeline compiledTimeline(1u);
    ShowContent compiled = buildCompiledShow(compiledTimeline);
    const int nextAfterCompiled = showRand();
    Timeline fileTimeline(1u);  // seeds the generator again
    ShowContent file = loadShowFile(fileTimeline);
    EXPECT_EQ(showRand(), nextAfterCompiled);  // both builds drew the same numbers
    ASSERT_EQ(file.effects.size(), compiled.effects.size());
    for (size_t i = 0; i < compiled.effects.size(); ++i)
        EXPECT_EQ(describe(*file.effects[i]), describe(*compiled.effects[i])) << "entry " << i + 1;
    // The same pictures in the lists, whatever their order and names.
    auto pictures = [](const ShowContent& c) {
        std::multiset<std::string> keys;
        for (const auto& list : c.lists)
            for (int i = 0; i < list->count; ++i) keys.insert(pictureKey(list->get(i)));
        return keys;
    };
    EXPECT_EQ(pictures(file), pictures(compiled));
    EXPECT_EQ(fileTimeline.effectCount(), compiledTimeline.effectCount());
}

TEST(ShowFiles, TheGeneratorWritesTheSameBytesEveryRun) {
    const fs::path again = fs::temp_directory_path() / ("softshow-assets-" + std::to_string(::getpid()));
    std::string reason;
    ASSERT_TRUE(writeShowImages(again.string(), reason)) << reason;
    ASSERT_TRUE(writeShowScenes(again.string(), reason)) << reason;
    ASSERT_TRUE(writeShowMusic(again.string(), reason)) << reason;
    int compared = 0;
    for (const auto& e : fs::recursive_directory_iterator(again)) {
        if (!e.is_regular_file()) continue;
        const fs::path relative = fs::relative(e.path(), again);
        auto bytes = [](const fs::path& p) {
            std::ifstream in(p, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        ASSERT_EQ(bytes(e.path()), bytes(kShow / relative)) << relative;
        ++compared;
    }
    fs::remove_all(again);
    EXPECT_GE(compared, 80);  // the pictures, the scenes and their textures, the music
}

TEST_F(InShow, ScriptPlacesTheEntriesInStackingOrderAndEveryPictureHasTheSizeItsEffectNeeds) {
    Timeline timeline(1u);
    ShowContent show = buildCompiledShow(timeline);
    ASSERT_EQ(show.effects.size(), 75u);
    ASSERT_EQ(show.lists.size(), 11u);
    EXPECT_EQ(activeEntries(show, 0.0f), (std::vector<int>{3, 4, 45, 74, 75}));
    EXPECT_EQ(activeEntries(show, 60.0f), (std::vector<int>{8, 11, 19, 20, 45, 74, 75}));
    EXPECT_EQ(activeEntries(show, 90.0f), (std::vector<int>{18, 35, 36, 38, 41, 45, 74, 75}));
    EXPECT_EQ(activeEntries(show, 99.6f), (std::vector<int>{12, 13, 14, 34, 45, 74, 75}));
    EXPECT_EQ(activeEntries(show, 121.9f), (std::vector<int>{45, 56, 57, 74, 75}));
    for (float t = 0; t < 122; t += 0.05f) EXPECT_FALSE(show.effects[15]->isActive(t));  // the extra noise
    EXPECT_EQ(timeline.effectCount(), 75);

    const std::map<int, int> counts = {{1, 8}, {2, 6}, {3, 9}, {4, 10}, {5, 6}, {6, 4}, {7, 5}, {8, 2}, {9, 13}, {10, 7}, {11, 1}};
    for (auto [list, count] : counts) EXPECT_EQ(show.lists[size_t(list - 1)]->count, count) << "L" << list;
    auto size = [&](int list, int index) {
        const PixelArray* p = show.lists[size_t(list - 1)]->get(index);
        return std::pair{p->width, p->height};
    };
    const std::pair<uint32_t, uint32_t> frame{512, 384};
    for (int list : {1, 3, 7, 10, 11})  // opacity blends and full-frame layers need the frame's size
        for (int i = 0; i < show.lists[size_t(list - 1)]->count; ++i) EXPECT_EQ(size(list, i), frame) << "L" << list << "[" << i << "]";
    for (auto [list, i] : {std::pair{4, 0}, {4, 5}, {4, 6}, {4, 7}, {4, 8}, {4, 9}, {9, 9}, {9, 10}, {9, 11}, {9, 12}})
        EXPECT_EQ(size(list, i), frame) << "L" << list << "[" << i << "]";
    EXPECT_EQ(size(8, 0), (std::pair<uint32_t, uint32_t>{1024, 768}));
    EXPECT_EQ(size(9, 0), (std::pair<uint32_t, uint32_t>{256, 256}));
    for (int i : {7, 8}) EXPECT_GE(size(9, i).second, 384u + 300u);  // room to scroll 300 rows
    // The whole-show overlay is mostly clear: alpha shows only at its border.
    const PixelArray* overlay = show.lists[3]->get(5);
    EXPECT_LE(overlay->pixels[192 * 512 + 256] >> 24, 2u);
    EXPECT_GT(overlay->pixels[2 * 512 + 2] >> 24, 100u);
}

TEST_F(InShow, EndsOnceAFrameAtOrPast122HasBeenDrawn) {
    DisplayWindow display("show", nullptr, false, 512, 384, DisplayKind::Null);
    Timeline timeline(1u);
    ShowContent show = loadShowFile(timeline);
    timeline.setStartOffset(121.8f);
    FixedRateClock clock(10.0);
    clock.seek(timeline.useExternalTime());
    EXPECT_EQ(runFrameLoop(display, timeline, clock, nullptr), 3);  // 121.8, 121.9, then 122.0 and out
    EXPECT_GE(timeline.getTime(), 122.0f);
}

TEST_F(InShow, ScenesReadBackCleanlyEveryFaceWithAMaterial) {
    for (const char* path : {"data/scene/spiky/spiky.3ds", "data/scene/cube2/cube2.3ds", "data/hollin/demo013.3ds",
                             "data/hollin/acti2.3ds", "data/hollin/templom2.3ds"}) {
        Scene scene;
        SceneReader reader;
        ASSERT_TRUE(reader.openScene(path)) << path;
        reader.setDirectory(path);
        reader.openLog("", &scene);
        reader.readAll();
        EXPECT_TRUE(reader.problems.empty()) << path << ": " << reader.problems.front();
        ASSERT_EQ(scene.keyframers.size(), 1u) << path;  // the camera paths and the keyframer's frame range
        EXPECT_FALSE(scene.meshes.empty()) << path;
        for (const auto& m : scene.meshes)
            for (const Face& f : m->faces) EXPECT_GE(f.material, 0) << path << " " << m->name;
    }
}

TEST_F(InShow, MusicIsLongEnoughAndItsAccentsFallOnTheFlashes) {
    AudioTrack track;
    std::string reason;
    ASSERT_TRUE(decodeMp3("Velm_test2.mp3", track, reason)) << reason;
    EXPECT_EQ(track.rate, 44100);
    EXPECT_EQ(track.channels, 2);
    EXPECT_GE(track.seconds(), 124.0);
    // Release loudness (EBU R 128 through libebur128): -14 LUFS +- 1 integrated, true peak at most -1 dBTP.
    {
        std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> meter(
            ebur128_init(2, 44100, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK), [](ebur128_state* m) { ebur128_destroy(&m); });
        ASSERT_TRUE(meter);
        ASSERT_EQ(ebur128_add_frames_float(meter.get(), track.samples.data(), track.samples.size() / 2), EBUR128_SUCCESS);
        double lufs = 0, left = 0, right = 0;
        ASSERT_EQ(ebur128_loudness_global(meter.get(), &lufs), EBUR128_SUCCESS);
        ebur128_true_peak(meter.get(), 0, &left);
        ebur128_true_peak(meter.get(), 1, &right);
        EXPECT_NEAR(lufs, -14.0, 1.0);
        EXPECT_LE(20 * std::log10(std::max(left, right)), -1.0);
    }
    // Content up to the top of the band, so the spectrum bars use their width: under the bars (93 s) the
    // spectrum has energy at 16-19 kHz (bins 372 to 441 of 512).
    MusicPlayer player(MusicOutput::None);
    AudioTrack copy = track;
    player.adopt(std::move(copy), true, "");
    float bands[kSpectrumBands];
    player.fetchSpectrum(93.0f, bands);
    EXPECT_GT(*std::max_element(bands + 372, bands + 442), 1e-4f);

    // An onset: the energy of the next 10 ms over that of the 20 ms before. The strongest jump within
    // 60 ms of each flash must lie within 20 ms of it.
    auto energy = [&](double from, double to) {
        double e = 1e-12;
        for (int64_t i = int64_t(from * 44100); i < int64_t(to * 44100); ++i)
            for (int c = 0; c < 2; ++c) e += double(track.samples[size_t(i) * 2 + size_t(c)]) * track.samples[size_t(i) * 2 + size_t(c)];
        return e;
    };
    for (float flash : kAccentTimes) {
        double best = 0, at = 0;
        for (double t = flash - 0.06; t <= flash + 0.06; t += 0.001) {
            const double jump = (energy(t, t + 0.01) / 0.01) / (energy(t - 0.02, t) / 0.02);
            if (jump > best) best = jump, at = t;
        }
        EXPECT_NEAR(at, flash, 0.02) << "flash at " << flash;
        EXPECT_GT(best, 2.0) << "flash at " << flash;
    }
}

// The city's camera flies between the towers and over them, never through one: at every frame of its
// path the eye stays at least 30 units outside every tower.
TEST_F(InShow, TheCityCameraNeverEntersABuilding) {
    Scene scene;
    SceneReader reader;
    ASSERT_TRUE(reader.openScene("data/hollin/demo013.3ds"));
    reader.setDirectory("data/hollin/demo013.3ds");
    reader.openLog("", &scene);
    reader.readAll();
    std::vector<std::pair<Vector3, Vector3>> towers;
    for (const auto& m : scene.meshes) {
        if (m->name.rfind("tower", 0) != 0) continue;
        Vector3 lo = m->fileVertices[0].position, hi = lo;
        for (const Vertex& v : m->fileVertices) {
            lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y), std::min(lo.z, v.position.z)};
            hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y), std::max(hi.z, v.position.z)};
        }
        towers.emplace_back(lo, hi);
    }
    ASSERT_EQ(towers.size(), 25u);
    ASSERT_EQ(scene.keyframers.size(), 1u);
    KeyframeNode* camera = nullptr;
    for (auto& n : scene.keyframers[0]->nodes)
        if (n->type == KeyframeNode::Camera) camera = n.get();
    ASSERT_NE(camera, nullptr);
    float nearest = 1e9f;
    for (uint32_t frame = 0; frame <= scene.keyframers[0]->endFrame; ++frame) {
        const Vector3 eye = camera->evaluatePosition(float(frame));
        for (const auto& [lo, hi] : towers) {
            const float dx = std::max({lo.x - eye.x, 0.0f, eye.x - hi.x}), dy = std::max({lo.y - eye.y, 0.0f, eye.y - hi.y});
            const float dz = std::max({lo.z - eye.z, 0.0f, eye.z - hi.z});
            nearest = std::min(nearest, std::sqrt(dx * dx + dy * dy + dz * dz));
        }
    }
    EXPECT_GE(nearest, 30.0f);
}

// A viewer sees white only on the flashes: outside the windows of the fills that add or subtract a light
// colour, no more than 0.3 s in a row of frames whose mean luma (0.299 R + 0.587 G + 0.114 B) passes 200,
// over the whole show at 10 frames a second.
TEST_F(InShow, BrightFramesComeOnlyWithTheFlashes) {
    PlayedShow played;
    Timeline& timeline = played.timeline;
    auto light = [](uint32_t c) { return (c >> 16 & 255) >= 0xC0 && (c >> 8 & 255) >= 0xC0 && (c & 255) >= 0x60; };
    std::vector<std::pair<float, float>> flashes;
    for (const auto& e : played.show.effects)
        if (dynamic_cast<const FX_FillColor*>(e.get()) && e->blendMode != 0)
            for (const auto& s : e->colorSegments)
                if (light(s.from.packed) || light(s.to.packed)) flashes.emplace_back(e->startTime, e->endTime);
    EXPECT_EQ(flashes.size(), 12u);  // eleven flashes and the fade to white before the end card
    std::string runs;
    int run = 0;
    for (long k = 0; k <= 1220; ++k) {
        const float t = offlineFrameTime(0, 10, k);
        const PixelArray& f = timeline.renderFrame(t);
        double sum = 0;
        for (uint32_t i = 0; i < f.size; ++i) {
            const uint32_t p = f.pixels[i];
            sum += 0.299 * (p >> 16 & 255) + 0.587 * (p >> 8 & 255) + 0.114 * (p & 255);
        }
        const bool flash = std::any_of(flashes.begin(), flashes.end(), [t](auto w) { return t >= w.first && t < w.second; });
        run = sum / f.size > 200 && !flash ? run + 1 : 0;
        if (run == 4) runs += " " + std::to_string(t);  // the fourth bright frame in a row: 0.4 s
    }
    EXPECT_EQ(runs, "") << "bright for 0.4 s or more outside the flashes, ending at these times";
}

namespace {

// Light type: opaque enough, every channel light. The outline: opaque and dark.
bool lightType(uint32_t p) {
    const uint32_t r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255;
    return (p >> 24) >= 200 && std::min({r, g, b}) >= 150 && 0.299 * r + 0.587 * g + 0.114 * b >= 180;
}
bool outlineInk(uint32_t p) { return (p >> 24) >= 200 && std::max({p >> 16 & 255, p >> 8 & 255, p & 255}) <= 64; }

}  // namespace

// Every edge pixel of light type on the pictures the show lays over its scenes has a pixel of the dark
// outline within 2 pixels, so the type reads over anything. An edge pixel is one next to a pixel that is
// not type and lies in the open: gaps of type narrower than 4 pixels (the crotch of an M or a W, where no
// outline fits) are not edges.
TEST_F(InShow, LightTypeWearsItsOutline) {
    std::vector<std::string> files = {"data/mess/title.png", "data/mess/end.png", "data/mess/test.png"};
    auto series = [&](const std::string& stem, int n) {
        for (int k = 1; k <= n; ++k) files.push_back(stem + std::to_string(k) + ".png");
    };
    series("data/textpverlay/text", 5), series("data/mess/text", 3), series("data/mess/credits", 5);
    series("data/greets/greet", 7), series("data/mess/flash", 4);
    for (int k = 2; k <= 5; ++k) files.push_back("data/mess/overlay" + std::to_string(k) + ".png");
    for (const std::string& file : files) {
        PixelArray p;
        loadImage(p, file);
        const int w = int(p.width), h = int(p.height);
        auto at = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h ? p.pixels[y * w + x] : 0u; };
        int edges = 0, bare = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (!lightType(at(x, y))) continue;
                auto open = [&](int nx, int ny) {
                    if (lightType(at(nx, ny))) return false;
                    auto near = [&](int dx, int dy) { return lightType(at(nx + dx, ny + dy)) || lightType(at(nx + 2 * dx, ny + 2 * dy)); };
                    return !((near(-1, 0) && near(1, 0)) || (near(0, -1) && near(0, 1)));
                };
                if (!open(x - 1, y) && !open(x + 1, y) && !open(x, y - 1) && !open(x, y + 1)) continue;
                ++edges;
                bool inked = false;
                for (int dy = -2; dy <= 2 && !inked; ++dy)
                    for (int dx = -2; dx <= 2 && !inked; ++dx) inked = dx * dx + dy * dy <= 5 && outlineInk(at(x + dx, y + dy));
                bare += !inked;
            }
        EXPECT_GT(edges, 50) << file << ": no light type found";
        EXPECT_EQ(bare, 0) << file << ": edge pixels of light type without the outline, of " << edges;
    }
}

// No two pictures of type on screen at once cover each other: every 0.05 s of the show played at 60
// frames a second, the visible art of any two such layers shares no pixel. Visible: for a picture blended
// by opacity, where its weight alpha + opacity - 257 reaches 32 of 255 (a card faded out keeps its last
// opacity, a few units, for the rest of its window); for a scrolling card, its light pixels where it stands.
TEST_F(InShow, TypeOnScreenTogetherNeverOverlaps) {
    Timeline timeline(1u);
    ShowContent show = loadShowFile(timeline);
    struct Layer {
        Effect* effect;
        int entry;
        bool sprite;
    };
    std::vector<Layer> layers;
    for (size_t i = 0; i < show.effects.size(); ++i) {
        Effect* e = show.effects[i].get();
        const PixelArray* src = e->sourceImage;
        if (!src) continue;
        const bool sprite = dynamic_cast<FX_Sprite*>(e) != nullptr;
        const bool typed = std::any_of(src->pixels, src->pixels + src->size, [&](uint32_t p) {
            return sprite ? (p & 0xFFFFFF) >= 0xC0C0C0 : lightType(p);
        });
        if (typed && (sprite || e->blendMode == 3)) layers.push_back({e, int(i) + 1, sprite});
    }
    ASSERT_EQ(layers.size(), 18u);  // greetings 7, titles 4, city overlays 4, end card, two scrolling cards
    std::string report;
    for (long k = 0; k < 7320; ++k) {
        const float t = offlineFrameTime(0, 60, k);
        std::vector<const Layer*> shown;
        for (const Layer& l : layers)
            if (l.effect->isActive(t)) l.effect->update(), shown.push_back(&l);
        if (k % 3) continue;
        std::vector<std::vector<uint8_t>> masks;
        std::vector<int> entries;
        for (const Layer* layer : shown) {
            const Layer& l = *layer;
            const int opacity = l.effect->opacity;
            const PixelArray& src = *l.effect->sourceImage;
            std::vector<uint8_t> m(512 * 384, 0);
            const int ox = l.sprite ? int(l.effect->position.x) : 0, oy = l.sprite ? int(l.effect->position.y) : 0;
            for (int y = 0; y < int(src.height); ++y)
                for (int x = 0; x < int(src.width); ++x) {
                    const int sx = x + ox, sy = y + oy;
                    const uint32_t p = src.pixels[y * int(src.width) + x];
                    const bool ink = l.sprite ? opacity > 0 && ((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) >= 180
                                              : int(p >> 24) + opacity - 257 >= 32;
                    if (ink && sx >= 0 && sy >= 0 && sx < 512 && sy < 384) m[size_t(sy * 512 + sx)] = 1;
                }
            masks.push_back(std::move(m));
            entries.push_back(l.entry);
        }
        for (size_t a = 0; a < masks.size(); ++a)
            for (size_t b = a + 1; b < masks.size(); ++b)
                for (size_t i = 0; i < masks[a].size(); ++i)
                    if (masks[a][i] && masks[b][i]) {
                        report += " t=" + std::to_string(t) + ": " + std::to_string(entries[a]) + "/" + std::to_string(entries[b]);
                        break;
                    }
    }
    EXPECT_EQ(report, "");
}

// Reference frames: SHA-256 of the raw frame words at times covering every phase, rendered offline at
// 60 frames a second from 0 with seed 1. After a deliberate change to the look, rewrite the table and
// look at the frames (written to build/show-frames) before committing it:
//   SOFTSHOW_UPDATE_REFERENCES=1 ./build/tests/show_tests --gtest_filter='InShow.FramesMatch*'
TEST_F(InShow, FramesMatchTheReferenceDigests) {
    const int frames[] = {300, 870, 1200, 1980, 2400, 2820, 3600, 3726, 4500, 4800, 5280, 5580, 6000, 6600, 7020, 7290};
    PlayedShow played;
    Timeline& timeline = played.timeline;
    std::map<int, std::string> digests;
    const bool update = std::getenv("SOFTSHOW_UPDATE_REFERENCES") != nullptr;
    const fs::path out = fs::path(SOFTSHOW_BUILD_DIR) / "show-frames";
    if (update) fs::create_directories(out);
    for (int k = 0, next = 0; next < int(std::size(frames)); ++k) {
        const PixelArray& frame = timeline.renderFrame(offlineFrameTime(0, 60, k));
        if (k != frames[next]) continue;
        digests[k] = frameDigest(frame);
        std::string written;
        if (update) matchesReferencePicture(frame, out / ("frame-" + std::to_string(k) + ".png"), written);
        ++next;
    }
    const fs::path table = fs::path(SOFTSHOW_TEST_SOURCE_DIR) / "show" / "frame-digests.txt";
    if (update) {
        std::ofstream t(table);
        t << "# frame (60 per second from 0, seed 1)  time  SHA-256 of the 512 x 384 frame words\n";
        for (auto& [k, d] : digests) t << k << " " << (k / 60.0) << " " << d << "\n";
        return;
    }
    std::ifstream in(table);
    std::string header, d;
    std::getline(in, header);
    int k, checked = 0;
    for (double t; in >> k >> t >> d; ++checked) EXPECT_EQ(digests[k], d) << "frame " << k << " (" << t << " s)";
    EXPECT_EQ(checked, int(std::size(frames))) << table;
}
