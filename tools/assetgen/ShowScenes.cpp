// The five 3DS scenes of the show, written with our 3DS writer, with their textures beside them.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/ShowAssets.h"
#include "tools/assetgen/ThreeDsWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr double kTau = 6.283185307179586;

// A column: a cylinder of `sides` about the z axis at (x, y), from z0 to z1.
tds::MeshData column(const std::string& name, double x, double y, double r, double z0, double z1, int sides,
                     const std::string& material) {
    tds::MeshData m;
    m.name = name;
    for (int i = 0; i <= sides; ++i) {
        const double a = kTau * i / sides;
        const float cx = float(x + r * std::cos(a)), cy = float(y + r * std::sin(a));
        m.vertices.push_back({cx, cy, float(z0)});
        m.vertices.push_back({cx, cy, float(z1)});
        m.mapping.push_back({float(2.0 * i / sides), 0});
        m.mapping.push_back({float(2.0 * i / sides), 3});
    }
    for (int i = 0; i < sides; ++i) {
        const uint16_t v = uint16_t(2 * i);
        m.faces.push_back({v, uint16_t(v + 2), uint16_t(v + 3), 6});
        m.faces.push_back({v, uint16_t(v + 3), uint16_t(v + 1), 3});
    }
    std::vector<uint16_t> all;
    for (uint16_t f = 0; f < m.faces.size(); ++f) all.push_back(f);
    m.groups = {{material, all}};
    return m;
}

// A sphere of `rings` x `segments` quads whose every other vertex is pulled to `inner`: spikes towards
// a viewer at the centre.
tds::MeshData spikyShell(const std::string& material) {
    tds::MeshData m;
    m.name = "shell";
    const int rings = 16, segments = 24;
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= segments; ++j) {
            const double th = kTau / 2 * i / rings, ph = kTau * j / segments;
            const double r = ((i + j) % 2 == 0 && i > 0 && i < rings) ? 170.0 : 420.0;
            m.vertices.push_back({float(r * std::sin(th) * std::cos(ph)), float(r * std::sin(th) * std::sin(ph)),
                                  float(r * std::cos(th))});
            m.mapping.push_back({float(4.0 * j / segments), float(2.0 * i / rings)});
        }
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            const uint16_t a = uint16_t(i * (segments + 1) + j), b = uint16_t(a + segments + 1);
            m.faces.push_back({a, b, uint16_t(b + 1), 6});
            m.faces.push_back({a, uint16_t(b + 1), uint16_t(a + 1), 3});
        }
    std::vector<uint16_t> all;
    for (uint16_t f = 0; f < m.faces.size(); ++f) all.push_back(f);
    m.groups = {{material, all}};
    return m;
}

// A few big triangles, drawn one after another by the build-up wireframe.
tds::MeshData star(const std::string& material, double z) {
    tds::MeshData m;
    m.name = "star";
    m.vertices.push_back({0, 0, float(z)});
    for (int k = 0; k < 8; ++k) {
        const double a = kTau * k / 8, r = k % 2 ? 180 : 420;
        m.vertices.push_back({float(r * std::cos(a)), float(r * std::sin(a)), float(z + (k % 2 ? 60 : 0))});
    }
    for (uint16_t k = 0; k < 8; ++k) m.faces.push_back({0, uint16_t(1 + k), uint16_t(1 + (k + 1) % 8), 7});
    std::vector<uint16_t> all;
    for (uint16_t f = 0; f < 8; ++f) all.push_back(f);
    m.groups = {{material, all}};
    m.localAxes = true;
    return m;
}

tds::KeyData key(uint32_t frame, Vector3 v) { return {frame, v}; }

// A camera and its target flying along keyed paths.
void flight(tds::SceneData& s, const std::vector<tds::KeyData>& eye, const std::vector<tds::KeyData>& target,
            uint32_t frames) {
    s.cameras = {{"Camera01", eye.front().value, target.front().value, 0, 35}};
    s.keyframer = true;
    s.startFrame = 0, s.endFrame = frames;
    s.nodes.push_back({0xB003, "Camera01", 0, -1, 0, eye});
    s.nodes.push_back({0xB004, "Camera01", 1, -1, 0, target});
}

Canvas stoneTexture(uint32_t seed, int r, int g, int b) {
    Canvas c(128, 128);
    Dice d(seed);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double v = 0.75 + 0.25 * std::sin(x * kTau / 64 + std::sin(y * kTau / 32) * 1.5) * std::sin(y * kTau / 128);
            const double n = 0.9 + 0.2 * d.unit();
            c.at(x, y) = argb(255, int(r * v * n), int(g * v * n), int(b * v * n));
        }
    for (int k = 0; k < 128; k += 32) c.rect(0, k, 128, k + 2, argb(255, r / 3, g / 3, b / 3));
    return c;
}

// The spiky shell's skin. The mesh maps the texture 4 times round and twice pole to pole, so each texture
// cell of 128/6 x 16 texels is one quad, and the quad corners where (column + row) is even are spike tips
// (pulled towards the viewer). The shading is baked in: light falls off from each tip to the base, the
// left flank of every spike is lit and the right in shade, a soft highlight sits on the tip, and the
// orange and violet bands blend over a few texels instead of stepping.
Canvas stripes() {
    Canvas c(128, 128);
    const double cellW = 128.0 / 6, cellH = 16;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double u = (x + 0.5) / cellW, v = (y + 0.5) / cellH;
            double nearest = 9, side = 0;
            for (int cu = int(u) - 1; cu <= int(u) + 2; ++cu)
                for (int cv = int(v) - 1; cv <= int(v) + 2; ++cv) {
                    if ((cu + cv) % 2 != 0) continue;
                    const double d = std::hypot(u - cu, v - cv);
                    if (d < nearest) nearest = d, side = (cu - u) / std::max(d, 1e-6);
                }
            const double fall = std::clamp(1.0 - nearest / 0.72, 0.0, 1.0);
            const double light = 0.5 + 0.45 * fall * fall + 0.22 * side * fall;
            const double band = 0.5 + 0.5 * std::sin((x + y) * kTau / 32);
            const double t = std::clamp((band - 0.35) / 0.3, 0.0, 1.0), mix = t * t * (3 - 2 * t);
            const double spec = 0.45 * std::pow(fall, 6);
            auto channel = [&](double dark, double bright, double highlight) {
                return int(std::clamp((dark + (bright - dark) * mix) * light + highlight * spec, 0.0, 255.0));
            };
            c.at(x, y) = argb(255, channel(40, 250, 255), channel(24, 125, 235), channel(80, 45, 190));
        }
    return c;
}

Canvas checker() {
    Canvas c(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const bool on = ((x / 16) + (y / 16)) % 2;
            c.at(x, y) = on ? argb(255, 240, 240, 250) : argb(255, 40, 90, 200);
        }
    c.rect(0, 0, 128, 3, 0xFFFFFFFFu);
    c.rect(0, 0, 3, 128, 0xFFFFFFFFu);
    return c;
}

// A tower's facade at night: 4 x 4 window bays in a 90-unit block (the texture repeats up the tower),
// some windows lit warm, the rest dim, on dark concrete with darker floor lines.
Canvas nightFacade() {
    Canvas c(128, 128, argb(255, 22, 24, 34));
    Dice d(1313);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            const int lit = d.below(10);
            const uint32_t glass = lit < 4   ? argb(255, 235, 190, 110)
                                   : lit < 5 ? argb(255, 150, 190, 230)
                                             : argb(255, 40, 46, 70);
            c.rect(col * 32 + 7, row * 32 + 6, col * 32 + 25, row * 32 + 24, glass);
        }
    for (int k = 0; k < 128; k += 32) c.rect(0, k, 128, k + 3, argb(255, 12, 12, 18));
    return c;
}

// The dusk sky round the city: deep blue overhead to a warm glow at the horizon (the bottom rows), a few stars.
Canvas duskSky() {
    Canvas c(128, 128);
    for (int y = 0; y < 128; ++y) {
        const double t = y / 127.0, glow = t * t * t;
        c.rect(0, y, 128, y + 1, argb(255, int(12 + 170 * glow), int(14 + 70 * glow), int(40 + 40 * glow)));
    }
    Dice d(99);
    for (int k = 0; k < 40; ++k) c.disc(d.unit() * 128, d.unit() * 60, 0.5, argb(255, 200, 205, 230), 0.7);
    return c;
}

// A box whose sides repeat the texture every `repeat` units of height (the top and bottom map it once).
tds::MeshData tiledBox(const std::string& name, Vector3 a, Vector3 b, const std::string& material, double repeat) {
    tds::MeshData m = tds::texturedBox(name, a, b, material);
    const float v = float((b.z - a.z) / repeat);
    for (size_t side = 2; side < 6; ++side) m.mapping[side * 4 + 2].y = v, m.mapping[side * 4 + 3].y = v;
    return m;
}

bool save(const std::string& dir, const std::string& file, const tds::SceneData& s, std::string& reason) {
    fs::create_directories(fs::path(dir) / fs::path(file).parent_path());
    return tds::write3dsFile((fs::path(dir) / file).string(), s, reason);
}

bool texture(const std::string& dir, const std::string& file, const Canvas& c, std::string& reason) {
    fs::create_directories(fs::path(dir) / fs::path(file).parent_path());
    if (c.writePng((fs::path(dir) / file).string())) return true;
    reason = "cannot write " + file;
    return false;
}

}  // namespace

bool writeShowScenes(const std::string& dir, std::string& reason) {
    // The spiky shell: the viewer at its centre; the effect turns it. One mesh node, no camera.
    tds::SceneData spiky;
    spiky.materials = {{"spikes", 3, "spikes.png"}};
    spiky.meshes = {spikyShell("spikes")};
    spiky.keyframer = true;
    spiky.nodes = {{0xB002, "shell", 0, -1, 0, {key(0, {0, 0, 0})}}};
    if (!texture(dir, "data/scene/spiky/spikes.png", stripes(), reason) ||
        !save(dir, "data/scene/spiky/spiky.3ds", spiky, reason))
        return false;

    // The cube: 128 units a side at the origin; the effect moves and turns it.
    tds::SceneData cube;
    cube.materials = {{"checker", 3, "checker.png"}};
    cube.meshes = {tds::texturedBox("cube", {-64, -64, -64}, {64, 64, 64}, "checker")};
    cube.keyframer = true;
    cube.nodes = {{0xB002, "cube", 0, -1, 0, {key(0, {0, 0, 0})}}};
    if (!texture(dir, "data/scene/cube2/checker.png", checker(), reason) ||
        !save(dir, "data/scene/cube2/cube2.3ds", cube, reason))
        return false;

    // A city at dusk: towers with lit windows under a sky that closes the view all round, white beacons
    // on some roofs reading as lights. The camera comes in high, flies down the avenue between the second
    // and third columns of towers (x = 110, 65 units from the faces either side) and climbs out over the
    // roofs; it never passes through a building.
    tds::SceneData city;
    city.materials = {{"facade", 3, "facade.png"}, {"sky", 3, "sky.png"}, {"beacon", 2, ""}};
    city.meshes.push_back(tiledBox("sky", {-2600, -2600, -40}, {2600, 2600, 1800}, "sky", 1840));
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            const double x = (i - 2) * 220.0, y = (j - 2) * 220.0;
            const double h = 90 + 70 * ((i * 7 + j * 3) % 5);
            const std::string n = std::to_string(i * 5 + j);
            city.meshes.push_back(tiledBox("tower" + n, {float(x - 45), float(y - 45), 0}, {float(x + 45), float(y + 45), float(h)},
                                           "facade", 90));
            if ((i + j) % 4 == 0)
                city.meshes.push_back(tds::texturedBox("beacon" + n, {float(x - 4), float(y - 4), float(h)},
                                                       {float(x + 4), float(y + 4), float(h + 50)}, "beacon"));
        }
    city.lights = {{"sun", {300, -300, 800}}};
    flight(city,
           {key(0, {-900, -1100, 520}), key(90, {-300, -850, 300}), key(180, {110, -650, 120}), key(270, {110, -100, 90}),
            key(360, {110, 450, 110}), key(450, {500, 850, 380}), key(540, {-250, 950, 600})},
           {key(0, {0, 0, 100}), key(180, {110, 0, 100}), key(270, {110, 400, 100}), key(360, {110, 900, 150}),
            key(450, {0, 0, 150}), key(540, {0, 0, 100})},
           540);
    if (!texture(dir, "data/hollin/facade.png", nightFacade(), reason) || !texture(dir, "data/hollin/sky.png", duskSky(), reason))
        return false;
    if (!save(dir, "data/hollin/demo013.3ds", city, reason)) return false;

    // Pyramids on textured ground under a blue sky, a star drawn edge by edge above them.
    tds::SceneData acti;
    // The sky is the flat-filled mode's plain blue: a day sky, and cheap. Measured over 720 frames of
    // the temple, a flat sky added about 0.1 s and a textured one about 0.7 s.
    acti.materials = {{"ground", 3, "ground.png"}, {"stone", 1, ""}, {"wire", -2, ""}, {"sky", 4, ""}};
    acti.meshes.push_back(tiledBox("sky", {-2600, -2600, -40}, {2600, 2600, 1800}, "sky", 1840));
    acti.meshes.push_back(tds::texturedBox("ground", {-1200, -1200, -20}, {1200, 1200, 0}, "ground"));
    for (int k = 0; k < 6; ++k) {
        tds::MeshData p;
        p.name = "pyr" + std::to_string(k);
        const double x = std::cos(kTau * k / 6) * 500, y = std::sin(kTau * k / 6) * 500, s = 90 + 20 * (k % 3);
        p.vertices = {{float(x - s), float(y - s), 0}, {float(x + s), float(y - s), 0}, {float(x + s), float(y + s), 0},
                      {float(x - s), float(y + s), 0}, {float(x), float(y), float(2.2 * s)}};
        p.faces = {{0, 1, 4, 7}, {1, 2, 4, 7}, {2, 3, 4, 7}, {3, 0, 4, 7}, {0, 2, 1, 7}, {0, 3, 2, 7}};
        p.groups = {{"stone", {0, 1, 2, 3, 4, 5}}};
        acti.meshes.push_back(p);
    }
    acti.meshes.push_back(star("wire", 420));
    std::vector<tds::KeyData> eye, target;
    for (uint32_t f = 0; f <= 900; f += 150) {
        const double a = kTau * f / 900;
        eye.push_back(key(f, {float(std::cos(a) * 1000), float(std::sin(a) * 1000), float(260 + 120 * std::sin(a * 2))}));
        target.push_back(key(f, {float(std::cos(a + 1) * 150), float(std::sin(a + 1) * 150), 120}));
    }
    flight(acti, eye, target, 900);
    if (!texture(dir, "data/hollin/ground.png", stoneTexture(7, 120, 150, 90), reason) ||
        !save(dir, "data/hollin/acti2.3ds", acti, reason))
        return false;

    // A temple: two rows of textured columns on a flat-lit floor under a white roof, in a night sky that
    // closes the view, so each frame is drawn whole before the radial blur smears it (nothing of the
    // frames before is left to streak).
    tds::SceneData temple;
    temple.materials = {{"marble", 3, "marble.png"}, {"floor", 1, ""}, {"roof", 2, ""}, {"sky", 3, "sky.png"}};
    temple.meshes.push_back(tiledBox("sky", {-2600, -2600, -40}, {2600, 2600, 1800}, "sky", 1840));
    temple.meshes.push_back(tds::texturedBox("floor", {-260, -520, -30}, {260, 520, 0}, "floor"));
    int n = 0;
    for (int side : {-1, 1})
        for (int k = 0; k < 6; ++k)
            temple.meshes.push_back(column("col" + std::to_string(n++), side * 170.0, -400 + k * 160.0, 26, 0, 300, 14, "marble"));
    temple.meshes.push_back(tds::texturedBox("roof", {-240, -500, 300}, {240, 500, 330}, "roof"));
    flight(temple,
           {key(0, {0, -1500, 160}), key(150, {0, -700, 140}), key(300, {40, -100, 150}), key(420, {-60, 300, 200}),
            key(500, {0, 900, 260})},
           {key(0, {0, 0, 150}), key(300, {0, 400, 150}), key(500, {0, 1500, 150})}, 500);
    if (!texture(dir, "data/hollin/marble.png", stoneTexture(11, 230, 225, 215), reason) ||
        !save(dir, "data/hollin/templom2.3ds", temple, reason))
        return false;
    return true;
}
