#include "tools/assetgen/ThreeDsWriter.h"

#include <cstdio>
#include <cstring>

namespace tds {
namespace {

class Chunks {
public:
    void begin(uint16_t id) {
        open.push_back(out.size());
        u16(id);
        u32(0);  // patched by end()
    }
    void end() {
        const size_t start = open.back();
        open.pop_back();
        const uint32_t length = uint32_t(out.size() - start);
        for (int b = 0; b < 4; ++b) out[start + 2 + size_t(b)] = uint8_t(length >> (8 * b));
    }
    void u8(uint8_t v) { out.push_back(v); }
    void u16(uint16_t v) { u8(uint8_t(v)), u8(uint8_t(v >> 8)); }
    void u32(uint32_t v) { u16(uint16_t(v)), u16(uint16_t(v >> 16)); }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void vec(const Vector3& v) { f32(v.x), f32(v.y), f32(v.z); }
    void str(const std::string& s) {
        out.insert(out.end(), s.begin(), s.end());
        u8(0);
    }
    std::vector<uint8_t> out;

private:
    std::vector<size_t> open;
};

}  // namespace

MeshData texturedBox(const std::string& name, Vector3 a, Vector3 b, const std::string& material) {
    MeshData m;
    m.name = name;
    const Vector3 c[6][4] = {
        {{a.x, a.y, b.z}, {b.x, a.y, b.z}, {b.x, b.y, b.z}, {a.x, b.y, b.z}},  // top
        {{b.x, a.y, a.z}, {a.x, a.y, a.z}, {a.x, b.y, a.z}, {b.x, b.y, a.z}},  // bottom
        {{a.x, a.y, a.z}, {b.x, a.y, a.z}, {b.x, a.y, b.z}, {a.x, a.y, b.z}},  // front
        {{b.x, b.y, a.z}, {a.x, b.y, a.z}, {a.x, b.y, b.z}, {b.x, b.y, b.z}},  // back
        {{a.x, b.y, a.z}, {a.x, a.y, a.z}, {a.x, a.y, b.z}, {a.x, b.y, b.z}},  // left
        {{b.x, a.y, a.z}, {b.x, b.y, a.z}, {b.x, b.y, b.z}, {b.x, a.y, b.z}},  // right
    };
    MaterialGroup group{material, {}};
    for (int side = 0; side < 6; ++side) {
        const uint16_t base = uint16_t(side * 4);
        for (int k = 0; k < 4; ++k) m.vertices.push_back(c[side][k]);
        m.mapping.insert(m.mapping.end(), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        m.faces.push_back({base, uint16_t(base + 1), uint16_t(base + 2), 6});
        m.faces.push_back({base, uint16_t(base + 2), uint16_t(base + 3), 3});
        group.faces.push_back(uint16_t(2 * side));
        group.faces.push_back(uint16_t(2 * side + 1));
    }
    m.groups = {group};
    return m;
}

std::vector<uint8_t> write3ds(const SceneData& s) {
    Chunks c;
    c.begin(0x4D4D);
    c.begin(0x0002), c.u32(3), c.end();
    c.begin(0x3D3D);
    c.begin(0x3D3E), c.u32(3), c.end();
    for (const MaterialData& m : s.materials) {
        c.begin(0xAFFF);
        c.begin(0xA000), c.str(m.name), c.end();
        c.begin(0xA020), c.begin(0x0011), c.u8(200), c.u8(200), c.u8(200), c.end(), c.end();
        c.begin(0xA100), c.u16(uint16_t(m.renderType)), c.end();
        if (!m.texture.empty()) {
            c.begin(0xA200);
            c.begin(0x0030), c.u16(100), c.end();
            c.begin(0xA300), c.str(m.texture), c.end();
            c.end();
        }
        c.end();
    }
    c.begin(0x0100), c.f32(1.0f), c.end();
    for (const MeshData& m : s.meshes) {
        c.begin(0x4000);
        c.str(m.name);
        c.begin(0x4100);
        c.begin(0x4110);
        c.u16(uint16_t(m.vertices.size()));
        for (const Vector3& v : m.vertices) c.vec(v);
        c.end();
        if (!m.mapping.empty()) {
            c.begin(0x4140);
            c.u16(uint16_t(m.mapping.size()));
            for (const Vector2& t : m.mapping) c.f32(t.x), c.f32(t.y);
            c.end();
        }
        if (m.localAxes) {
            c.begin(0x4160);
            c.vec({1, 0, 0}), c.vec({0, 1, 0}), c.vec({0, 0, 1}), c.vec({0, 0, 0});
            c.end();
        }
        c.begin(0x4120);
        c.u16(uint16_t(m.faces.size()));
        for (const FaceData& f : m.faces) c.u16(f.a), c.u16(f.b), c.u16(f.c), c.u16(f.flags);
        for (const MaterialGroup& g : m.groups) {
            c.begin(0x4130);
            c.str(g.material);
            c.u16(uint16_t(g.faces.size()));
            for (uint16_t f : g.faces) c.u16(f);
            c.end();
        }
        c.end();  // 0x4120
        c.end();  // 0x4100
        c.end();  // 0x4000
    }
    for (const CameraData& cam : s.cameras) {
        c.begin(0x4000);
        c.str(cam.name);
        c.begin(0x4700);
        c.vec(cam.position), c.vec(cam.target), c.f32(cam.bank), c.f32(cam.lens);
        c.end();
        c.end();
    }
    for (const LightData& l : s.lights) {
        c.begin(0x4000);
        c.str(l.name);
        c.begin(0x4600), c.vec(l.position), c.end();
        c.end();
    }
    c.end();  // 0x3D3D
    if (s.keyframer) {
        c.begin(0xB000);
        c.begin(0xB00A), c.u16(5), c.str("MAXSCENE"), c.u32(s.endFrame), c.end();
        c.begin(0xB008), c.u32(s.startFrame), c.u32(s.endFrame), c.end();
        for (const NodeData& n : s.nodes) {
            c.begin(n.tag);
            c.begin(0xB030), c.u16(uint16_t(n.id)), c.end();
            c.begin(0xB010), c.str(n.name), c.u16(0x4000), c.u16(0), c.u16(uint16_t(n.parent)), c.end();
            c.begin(0xB020);
            c.u16(n.trackFlags);
            for (int i = 0; i < 8; ++i) c.u8(0);
            c.u32(uint32_t(n.positionKeys.size()));
            for (const KeyData& k : n.positionKeys) {
                c.u32(k.frame);
                c.u16(k.accel);
                const float fields[5] = {k.tension, k.continuity, k.bias, k.easeTo, k.easeFrom};
                for (int bit = 0; bit < 5; ++bit)
                    if (k.accel & (1u << bit)) c.f32(fields[bit]);
                c.vec(k.value);
            }
            c.end();
            c.end();
        }
        c.end();
    }
    c.end();  // 0x4D4D
    return c.out;
}

bool write3dsFile(const std::string& path, const SceneData& scene, std::string& reason) {
    const std::vector<uint8_t> bytes = write3ds(scene);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        reason = "cannot write " + path;
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        reason = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace tds
