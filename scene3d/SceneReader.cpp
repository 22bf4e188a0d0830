#include "scene3d/SceneReader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "pixel/ImageList.h"
#include "scene3d/Scene.h"

namespace {

struct ChunkName {
    uint16_t id;
    const char* name;
};

// In table order; the lookup scans the first 85 rows and a later duplicate would win.
const ChunkName kChunkNames[] = {
    {0x4D4D, "Main chunk"}, {0x0002, "3DS-Version"}, {0x0010, "Rgb color float"}, {0x0011, "Rgb color byte"},
    {0x0012, "Rgb color gamma byte"}, {0x0013, "Rgb color gamma float"}, {0x0030, "Percent int"},
    {0x0100, "One unit"}, {0x1100, "Background bitmap"}, {0x1200, "Background color"},
    {0x1300, "Background gradient colors"}, {0x1400, "Shadow map bias"}, {0x1420, "Shadow map size"},
    {0x1450, "Shadow map sample range"}, {0x1460, "Raytrace bias"}, {0x1500, "Unknown 0x1500"},
    {0x2100, "Ambient color"}, {0x2200, "Fog"}, {0x2302, "Layered fog options"}, {0x2300, "Distance queue"},
    {0x3000, "Unknown 0x3000"}, {0x3D3D, "3D-Editor chunk"}, {0x3D3E, "Mesh version"}, {0x4000, "Object block"},
    {0x4100, "Triangular mesh"}, {0x4110, "Vertices List"}, {0x4111, "Unknown 0x4111"},
    {0x4160, "Local coordinate system"}, {0x4165, "Object color in 3D Editor"}, {0x4120, "Faces description"},
    {0x4130, "Faces material list"}, {0x4140, "Mapping coordinates list"}, {0x4150, "Smoothing groups list"},
    {0x4600, "Light"}, {0x465A, "Range end"}, {0x4659, "Range start"}, {0x465B, "Multiplier"}, {0x4700, "Camera"},
    {0x4720, "Unknown 0x4720"}, {0x7001, "Window settings"}, {0xAFFF, "Material block"}, {0xA000, "Material name"},
    {0xA010, "Material ambient color"}, {0xA020, "Material diffuse color"}, {0xA030, "Material specular color"},
    {0xA040, "Material shininess percent"}, {0xA041, "Material shininess strength percent"},
    {0xA050, "Transparency percent"}, {0xA052, "Transparency falloff percent"}, {0xA053, "Reflection blur percent"},
    {0xA084, "Self illum"}, {0xA087, "Wire thickness"}, {0xA08A, "In tranc"}, {0xA100, "Render type"},
    {0xA200, "Texture map 1"}, {0xA300, "Mapping filename"}, {0xA351, "Mapping parameters"},
    {0xA353, "Blur percent"}, {0xB000, "Keyframer"}, {0xB001, "Information Block: Ambient light"},
    {0xB002, "Information Block: Mesh"}, {0xB003, "Information Block: Camera"},
    {0xB004, "Information Block: Camera target"}, {0xB005, "Information Block: Omni"},
    {0xB006, "Information Block: Spot light target"}, {0xB007, "Information Block: Spot light"},
    {0xB008, "Frames"}, {0xB009, "Unknown 0xb009"}, {0xB00A, "Animation header"}, {0xB010, "Object information"},
    {0xB011, "Unknown 0xb011"}, {0xB014, "Unknown 0xb014"}, {0xB013, "Object pivot point"},
    {0xB015, "Object morph angle"}, {0xB020, "Position Track"}, {0xB021, "Rotation Track"},
    {0xB022, "Scale Track"}, {0xB023, "Fov Track"}, {0xB024, "Roll Track"}, {0xB025, "Color track"},
    {0xB026, "Morph track"}, {0xB027, "Hotspot track"}, {0xB028, "Falloff track"}, {0xB029, "Hide track"},
    {0xB030, "Hierarchy position"}, {0x0000, "None"},
};

bool oneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

template <class T>
T* last(std::vector<std::unique_ptr<T>>& list) {
    return list.empty() ? nullptr : list.back().get();
}

constexpr size_t kMaxSceneBytes = size_t(256) << 20;

}  // namespace

const char* chunkName(uint16_t id) {
    const char* found = "Unknown";
    for (int i = 0; i < 85; ++i)
        if (kChunkNames[i].id == id) found = kChunkNames[i].name;
    return found;
}

std::string resolvePathIgnoringCase(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(path, ec)) return path;
    const fs::path p(path);
    const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
    std::string wanted = p.filename().string();
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](unsigned char c) { return std::tolower(c); });
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (name == wanted) return (p.has_parent_path() ? (p.parent_path() / it->path().filename()) : it->path().filename()).string();
    }
    return path;
}

bool SceneReader::openScene(const std::string& path) {
    scenePath = path;
    data.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size_t(size) > kMaxSceneBytes) return false;
    in.seekg(0);
    data.resize(size_t(size));
    in.read(reinterpret_cast<char*>(data.data()), size);
    return bool(in) || size == 0;
}

void SceneReader::setDirectory(const std::string& path) {
    const size_t slash = path.rfind('/');
    directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void SceneReader::openLog(const std::string& path, Scene* s) {
    logPath = path;
    scene = s;
    logFile = path.empty() ? nullptr : std::fopen(path.c_str(), "w");
    if (!path.empty() && !logFile)  // the scene is read all the same
        std::fprintf(stderr, "softshow: cannot write %s: %s; the scene is read without its log\n", path.c_str(),
                     std::strerror(errno));
}

void SceneReader::log(const char* format, ...) {
    if (!logFile) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(logFile, format, args);
    va_end(args);
}

void SceneReader::damaged(const std::string& what) {
    problems.push_back(what);
    log("Damaged: %s\n", what.c_str());
}

bool SceneReader::need(size_t bytes, const char* what) {
    if (chunkEnd - pos >= bytes && pos <= chunkEnd) return true;
    char text[160];
    std::snprintf(text, sizeof text, "chunk 0x%.4X at %zu ends inside its %s", chunkId, chunkStart, what);
    damaged(text);
    pos = chunkEnd;
    return false;
}

bool SceneReader::u8(uint8_t& v) {
    if (!need(1, "data")) return false;
    v = data[pos++];
    return true;
}
bool SceneReader::u16(uint16_t& v) {
    if (!need(2, "data")) return false;
    v = uint16_t(data[pos] | data[pos + 1] << 8);
    pos += 2;
    return true;
}
bool SceneReader::u32(uint32_t& v) {
    if (!need(4, "data")) return false;
    v = uint32_t(data[pos]) | uint32_t(data[pos + 1]) << 8 | uint32_t(data[pos + 2]) << 16 | uint32_t(data[pos + 3]) << 24;
    pos += 4;
    return true;
}
bool SceneReader::f32(float& v) {
    uint32_t bits;
    if (!u32(bits)) return false;
    std::memcpy(&v, &bits, 4);
    return true;
}
bool SceneReader::str(std::string& s) {
    const uint8_t* begin = data.data() + pos;
    const uint8_t* end = data.data() + chunkEnd;
    const uint8_t* nul = std::find(begin, end, uint8_t(0));
    s.assign(begin, nul);
    if (nul == end) {
        char text[120];
        std::snprintf(text, sizeof text, "chunk 0x%.4X at %zu: unterminated string", chunkId, chunkStart);
        damaged(text);
        pos = chunkEnd;
        return false;
    }
    pos = size_t(nul - data.data()) + 1;
    return true;
}

void SceneReader::skip() { pos = chunkEnd; }

void SceneReader::readAll() {
    if (!data.empty()) {
        do {
            // Close the containers read to their end; a remainder too short for a header is dropped.
            while (!open.empty() && pos >= open.back()) open.pop_back();
            const size_t limit = open.empty() ? data.size() : open.back();
            if (limit - pos < 6) {
                char text[120];
                std::snprintf(text, sizeof text, "%zu stray bytes at %zu", limit - pos, pos);
                damaged(text);
                pos = limit;
                if (open.empty()) break;
                continue;
            }
            chunkStart = pos;
            chunkId = uint16_t(data[pos] | data[pos + 1] << 8);
            uint32_t length = uint32_t(data[pos + 2]) | uint32_t(data[pos + 3]) << 8 | uint32_t(data[pos + 4]) << 16 |
                              uint32_t(data[pos + 5]) << 24;
            chunkLength = int32_t(length);
            pos += 6;
            if (!readChunk() || stop) break;
        } while (pos < data.size());
    }
    finish();
    log("\nFile pointer: %.8X\n", unsigned(pos));
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
}

bool SceneReader::readChunk() {
    const std::string name = chunkName(chunkId);
    log("Chunk: 0x%.4X (%s) with length: %i bytes\n", chunkId, name.c_str(), chunkLength);

    const size_t limit = open.empty() ? data.size() : open.back();
    char text[160];
    if (chunkLength < 6) {
        std::snprintf(text, sizeof text, "chunk 0x%.4X at %zu: length %d is below 6; reading stops", chunkId,
                      chunkStart, chunkLength);
        damaged(text);
        stop = true;
        return false;
    }
    chunkEnd = chunkStart + size_t(uint32_t(chunkLength));
    if (chunkEnd > limit) {
        std::snprintf(text, sizeof text, "chunk 0x%.4X at %zu: length %d runs %zu bytes past its parent", chunkId,
                      chunkStart, chunkLength, chunkEnd - limit);
        damaged(text);
        chunkEnd = limit;
    }
    bool enter = true;  // read the rest of the body as chunks
    auto vec = [&](Vector3& v) { return f32(v.x) && f32(v.y) && f32(v.z); };
    Mesh* mesh = last(scene->meshes);
    Material* material = last(scene->materials);
    Keyframer* keyframer = last(scene->keyframers);

    if (name == "Main chunk") {
        fileSize = chunkLength;
        sawMainChunk = true;
        log("Filesize: %i\n", fileSize);
    } else if (name == "3DS-Version" || name == "Mesh version") {
        uint32_t v;
        if (u32(v)) log(name == "3DS-Version" ? "3DS-Version: %.4x\n" : "Mesh version: %.4x\n", v);
    } else if (name == "Material block") {
        scene->addMaterial();
    } else if (name == "Material name") {
        std::string s;
        str(s);
        if (material) material->name = s;
        log("Name: %s\n", s.c_str());
    } else if (oneOf(name, {"Rgb color byte", "Rgb color gamma byte"})) {
        uint8_t r, g, b;
        if (u8(r) && u8(g) && u8(b)) log("Rgb color (byte): %i, %i, %i\n", r, g, b);
    } else if (name == "Percent int") {
        uint16_t v;
        if (u16(v)) log("Percent Int: %i\n", int(int16_t(v)));
    } else if (name == "Render type") {
        uint16_t v;
        if (u16(v)) {
            const char* type = v == 1 ? "FLAT" : v == 2 ? "GOURAUD" : v == 3 ? "PHONG" : v == 6 ? "METAL" : "UNKNOWN";
            log("Rendertype: %s\n", type);
            if (material) material->renderType = int16_t(v);
        }
    } else if (name == "One unit" || name == "Shadow map bias" || name == "Shadow map sample range" ||
               name == "Raytrace bias") {
        float v;
        if (f32(v)) {
            if (name == "One unit") log("One unit: %f\n", double(v));
            if (name == "Shadow map bias") log("Shadow map bias: %f\n", double(v));
            if (name == "Shadow map sample range") log("Shadow map sample range: %f\n", double(v));
            if (name == "Raytrace bias") log("Raytrace bias: %.2f\n", double(v));
        }
    } else if (name == "Shadow map size") {
        uint16_t v;
        if (u16(v)) log("Shadow map size: %i\n", int(int16_t(v)));
    } else if (oneOf(name, {"Rgb color float", "Rgb color gamma float"})) {
        Vector3 c;
        if (vec(c)) log("Rgb color (float): %.2f, %.2f, %.2f\n", double(c.x), double(c.y), double(c.z));
    } else if (name == "Background bitmap") {
        std::string s;
        str(s);
        log("Name: %s\n", s.c_str());
    } else if (name == "Background gradient colors") {
        float v;
        if (f32(v)) log("Position: %.2f\n", double(v));
    } else if (name == "Object block") {
        std::string s;
        str(s);
        objectName = s;
        log("Name: %s\n", s.c_str());
    } else if (name == "Triangular mesh") {
        scene->addMesh().name = objectName;
    } else if (name == "Vertices List") {
        uint16_t count;
        if (!mesh) {
            damaged("vertices outside a mesh");
            skip();
        } else if (u16(count)) {
            const int n = int16_t(count);
            log("Number of vertices: %i\n", n);
            const size_t take = entriesThatFit(n, 12, "vertices");
            mesh->fileVertices.reserve(mesh->fileVertices.size() + take);
            for (size_t i = 0; i < take; ++i) {
                Vector3 p;
                vec(p);
                log("Vertex %i: [%.2f, %.2f, %.2f]\n", int(i), double(p.x), double(p.y), double(p.z));
                mesh->fileVertices.push_back(Vertex(p));
            }
            mesh->vertices = mesh->fileVertices;
        }
    } else if (name == "Local coordinate system") {
        Vector3 x1, x2, x3, o;
        if (vec(x1) && vec(x2) && vec(x3) && vec(o)) {
            log("Vector X1: [%.2f, %.2f, %.2f]\n", double(x1.x), double(x1.y), double(x1.z));
            log("Vector X2: [%.2f, %.2f, %.2f]\n", double(x2.x), double(x2.y), double(x2.z));
            log("Vector X3: [%.2f, %.2f, %.2f]\n", double(x3.x), double(x3.y), double(x3.z));
            log("Vector O: [%.2f, %.2f, %.2f]\n", double(o.x), double(o.y), double(o.z));
            if (mesh) mesh->local.fromAxes(x1, x2, x3, o);
        }
    } else if (name == "Object color in 3D Editor") {
        uint8_t c;
        if (u8(c)) log("Color: %i\n", int(int8_t(c)));
    } else if (name == "Faces description") {
        uint16_t count;
        if (!mesh) {
            damaged("faces outside a mesh");
            skip();
        } else if (u16(count)) {
            const int n = int16_t(count);
            log("Number of faces: %i\n", n);
            const size_t take = entriesThatFit(n, 8, "faces");
            mesh->faces.reserve(mesh->faces.size() + take);
            for (size_t i = 0; i < take; ++i) {
                uint16_t a, b, c, flags;
                u16(a), u16(b), u16(c), u16(flags);
                log("Face %i: [%i, %i, %i] Flag: [%i, %i, %i]\n", int(i), a, b, c, (flags & 4) ? 1 : 0,
                    (flags & 2) ? 1 : 0, (flags & 1) ? 1 : 0);
                const size_t vertexCount = mesh->fileVertices.size();
                Face f;
                f.a = a, f.b = b, f.c = c;
                if (a >= vertexCount || b >= vertexCount || c >= vertexCount) {
                    // Kept in its place, never drawn, so the material lists still name the faces after it.
                    std::snprintf(text, sizeof text, "mesh \"%s\": face %zu names a vertex beyond %zu; dropped",
                                  mesh->name.c_str(), i, vertexCount);
                    damaged(text);
                    f.a = f.b = f.c = Face::kDropped;
                }
                f.edgeAB = (flags & 4) ? 1 : 0, f.edgeBC = (flags & 2) ? 1 : 0, f.edgeCA = (flags & 1) ? 1 : 0;
                mesh->faces.push_back(f);
            }
        }
    } else if (name == "Faces material list") {
        std::string s;
        uint16_t count;
        str(s);
        log("Name: %s\n", s.c_str());
        if (u16(count)) {
            log("Number of faces: %i\n", count);
            int index = -1;
            for (size_t i = 0; i < scene->materials.size(); ++i)
                if (scene->materials[i]->name == s) index = int(i);
            if (index < 0) {
                std::snprintf(text, sizeof text, "material list names no material: \"%.60s\"", s.c_str());
                damaged(text);
            }
            for (size_t i = 0, take = entriesThatFit(count, 2, "face numbers"); i < take; ++i) {
                uint16_t face;
                u16(face);
                log("Face %i: %i\n", int(i), face);
                if (!mesh || face >= mesh->faces.size()) {
                    std::snprintf(text, sizeof text, "material list entry %zu names face %u beyond the mesh; dropped", i,
                                  face);
                    damaged(text);
                    continue;
                }
                if (index >= 0) mesh->faces[face].material = index;
            }
            if (mesh && index >= 0) mesh->renderMode = scene->materials[size_t(index)]->renderType;
        }
    } else if (name == "Light") {
        Vector3 p;
        if (vec(p)) {
            Light& l = scene->addLight();
            l.position = p;
            l.name = objectName;
            log("Position: [%.2f, %.2f, %.2f]\n", double(p.x), double(p.y), double(p.z));
        }
    } else if (name == "Camera") {
        Vector3 p, t;
        float bank, lens;
        if (vec(p) && vec(t) && f32(bank) && f32(lens)) {
            SceneCamera& c = scene->addCamera();
            c.position = p, c.target = t, c.bank = bank, c.lens = lens, c.name = objectName;
            log(" Position: [%.2f, %.2f, %.2f]\n", double(p.x), double(p.y), double(p.z));
            log(" Target: [%.2f, %.2f, %.2f]\n", double(t.x), double(t.y), double(t.z));
            log(" Bank: %.2f\n", double(bank));
            log(" Lens: %.2f\n", double(lens));
        }
    } else if (name == "Mapping filename") {
        std::string s;
        str(s);
        log("Name: %s\n", s.c_str());
        if (!material) {
            damaged("texture outside a material: " + s);
        } else {
            const std::string file = resolvePathIgnoringCase(directory + s);
            material->textureNames.push_back(s);
            if (loadTextures) {
                material->textures.push_back(std::make_unique<PixelArray>());
                loadImage(*material->textures.back(), file);
            } else {
                std::error_code ec;
                if (!std::filesystem::exists(file, ec)) damaged("texture file missing: " + directory + s);
            }
        }
    } else if (name == "Mapping coordinates list") {
        uint16_t count;
        if (!mesh) {
            damaged("mapping coordinates outside a mesh");
            skip();
        } else if (u16(count)) {
            const int n = int16_t(count);
            log("Number of vertices: %i\n", n);
            mesh->hasMapping = true;
            const size_t take = entriesThatFit(n, 8, "mapping pairs");
            mesh->mapping.reserve(mesh->mapping.size() + take);
            for (size_t i = 0; i < take; ++i) {
                float u, v;
                f32(u), f32(v);
                log("Vertex %i: [%.2f, %.2f]\n", int(i), double(u), double(v));
                mesh->mapping.push_back({u, float(1.0 - double(v))});
            }
        }
    } else if (name == "Keyframer") {
        scene->addKeyframer();
        scene->keyframers.front()->animated = 1;
    } else if (oneOf(name, {"Information Block: Mesh", "Information Block: Camera", "Information Block: Camera target",
                            "Information Block: Omni"})) {
        if (!keyframer) {
            damaged("keyframer node outside a keyframer");
        } else {
            keyframer->nodes.push_back(std::make_unique<KeyframeNode>());
            keyframer->nodes.back()->type = name == "Information Block: Mesh"     ? KeyframeNode::MeshNode
                                            : name == "Information Block: Camera" ? KeyframeNode::Camera
                                            : name == "Information Block: Omni"   ? KeyframeNode::Omni
                                                                                  : KeyframeNode::CameraTarget;
        }
    } else if (name == "Frames") {
        uint32_t start, end;
        if (u32(start) && u32(end)) {
            log(" Start: %i\n", int(start));
            log(" End: %i\n", int(end));
            if (keyframer) keyframer->startFrame = start, keyframer->endFrame = end;
        }
    } else if (name == "Object information") {
        std::string s;
        uint16_t flags1, flags2, parent;
        str(s);
        log("Name: %s\n", s.c_str());
        if (u16(flags1) && u16(flags2) && u16(parent)) {
            auto yes = [](bool b) { return b ? "yes" : "no"; };
            log(" Hidden: %s\n", yes(flags1 & 0x0800));
            log(" Show path: %s\n", yes(flags2 & 0x0001));
            log(" Animate smoothing: %s\n", yes(flags2 & 0x0002));
            log(" Object motion blur: %s\n", yes(flags2 & 0x0010));
            log(" Morph materials: %s\n", yes(flags2 & 0x0040));
            log("Hierarchy father: %i\n", int(parent));  // unsigned: a root is 65535
        }
        Keyframer* first = scene->keyframer(0);
        if (first && !first->nodes.empty())
            first->nodes.back()->name = s;
        else
            damaged("object information outside a keyframer node: " + s);
        SceneCamera* named = nullptr;  // the last camera of that name takes the node id
        for (auto& c : scene->cameras)
            if (c->name == s) named = c.get();
        if (named) named->nodeId = nodeId;
    } else if (name == "Object pivot point") {
        Vector3 p;
        if (vec(p)) log("Position: [%.2f, %.2f, %.2f]\n", double(p.x), double(p.y), double(p.z));
    } else if (oneOf(name, {"Position Track", "Rotation Track", "Scale Track", "Roll Track", "Color track"})) {
        readTrack(name);
    } else if (name == "Hierarchy position") {
        uint16_t v;
        if (u16(v)) {
            nodeId = int16_t(v);
            log("Hierarchy: %i\n", int(nodeId));
        }
    } else if (oneOf(name, {"Wire thickness", "Window settings", "Unknown 0x1500", "Fog", "Layered fog options",
                            "Distance queue", "Unknown 0x3000", "Unknown 0x4111", "Smoothing groups list",
                            "Range end", "Range start", "Multiplier", "Unknown 0x4720", "In tranc",
                            "Mapping parameters", "Blur percent", "Self illum", "Information Block: Ambient light",
                            "Information Block: Spot light target", "Information Block: Spot light",
                            "Unknown 0xb009", "Animation header", "Unknown 0xb011", "Unknown 0xb014",
                            "Object morph angle", "Fov Track", "Morph track", "Hotspot track", "Falloff track",
                            "Hide track"})) {
        skip();
        enter = false;
    }
    // Chunks outside the table are entered only when their body is itself a sequence of chunks; real
    // files hold unknown leaves (texture parameters, float percentages) whose payload is data.
    if (enter && name == "Unknown" && !bodyIsChunks()) {
        log("Skipped: the body is not a sequence of chunks\n");
        skip();
        enter = false;
    }
    if (enter && pos < chunkEnd) open.push_back(chunkEnd);
    return int64_t(pos) < int64_t(fileSize);
}

size_t SceneReader::entriesThatFit(int count, size_t entryBytes, const char* what) {
    const size_t fit = (chunkEnd - pos) / entryBytes;
    if (count < 0 || size_t(count) > fit) {
        char text[160];
        std::snprintf(text, sizeof text, "chunk 0x%.4X at %zu: %d %s, room for %zu", chunkId, chunkStart, count, what, fit);
        damaged(text);
    }
    return std::min(size_t(std::max(count, 0)), fit);
}

bool SceneReader::bodyIsChunks() const {
    size_t at = pos;
    while (at < chunkEnd) {
        if (chunkEnd - at < 6) return false;
        const uint32_t length = uint32_t(data[at + 2]) | uint32_t(data[at + 3]) << 8 | uint32_t(data[at + 4]) << 16 |
                                uint32_t(data[at + 5]) << 24;
        if (length < 6 || length > chunkEnd - at) return false;
        at += length;
    }
    return true;
}

void SceneReader::readTrack(const std::string& name) {
    uint16_t flags;
    uint32_t count;
    if (!u16(flags) || !need(8, "track header")) return;
    pos += 8;
    if (!u32(count)) return;
    const bool position = name == "Position Track";
    log(position ? " Flag: %i\n" : "Flag: %i\n", flags);
    log(position ? " Number of keys: %i\n" : "Number of keys: %i\n", int(count));

    Keyframer* keyframer = last(scene->keyframers);
    KeyframeNode* node = nullptr;
    if (keyframer && name == "Roll Track") {
        keyframer->nodes.push_back(std::make_unique<KeyframeNode>());
        keyframer->nodes.back()->type = KeyframeNode::Roll;
    }
    if (keyframer && !keyframer->nodes.empty()) node = keyframer->nodes.back().get();
    if (!node && (position || name == "Rotation Track" || name == "Roll Track"))
        damaged(name + " outside a keyframer node");
    if (position && node) node->loopMode = flags & 3u;

    for (uint32_t k = 0; k < count; ++k) {
        if (pos >= chunkEnd) {
            char text[120];
            std::snprintf(text, sizeof text, "%s at %zu: %u keys, data for %u", name.c_str(), chunkStart, count, k);
            damaged(text);
            break;
        }
        uint32_t frame;
        uint16_t accel;
        if (!u32(frame) || !u16(accel)) break;
        log(position ? "  Frame number: %i\n" : "Key number: %i\n", int(frame));
        log(position ? "   Acceleration data present: %i\n" : "Acceleration data present: %i\n", accel);
        SplineParams spline;
        float* fields[5] = {&spline.tension, &spline.continuity, &spline.bias, &spline.easeTo, &spline.easeFrom};
        bool ok = true;
        for (int bit = 0; bit < 5 && ok; ++bit)
            if (accel & (1u << bit)) ok = f32(*fields[bit]);
        if (!ok) break;
        if (position) {
            Vector3 p;
            if (!f32(p.x) || !f32(p.y) || !f32(p.z)) break;
            log("    Position: [%.2f, %.2f, %.2f]\n", double(p.x), double(p.y), double(p.z));
            if (node) node->positionKeys.push_back({int32_t(frame), spline, p, {0, 0, 0}, {0, 0, 0}});
        } else if (name == "Rotation Track") {
            float angle;
            Vector3 axis;
            if (!f32(angle) || !f32(axis.x) || !f32(axis.y) || !f32(axis.z)) break;
            log("Angle: %.2f\n", double(angle));
            log("Axis: [%.2f, %.2f, %.2f]\n", double(axis.x), double(axis.y), double(axis.z));
            if (node) node->rotationKeys.push_back({int32_t(frame), axis});
        } else if (name == "Scale Track") {
            Vector3 s;
            if (!f32(s.x) || !f32(s.y) || !f32(s.z)) break;
            log("Size: [%.2f, %.2f, %.2f]\n", double(s.x), double(s.y), double(s.z));
        } else if (name == "Color track") {
            Vector3 c;
            if (!f32(c.x) || !f32(c.y) || !f32(c.z)) break;
        } else {  // Roll Track
            float angle;
            if (!f32(angle)) break;
            log("Angle: %.2f\n", double(angle));
            if (node) node->rollKeys.push_back({int32_t(frame), spline, angle});
        }
    }
    if (position && node) node->computeTangents();
}

void SceneReader::finish() {
    if (!sawMainChunk && !data.empty()) damaged("the file holds no main chunk (0x4D4D)");
    if (data.empty()) damaged("the file is empty");
}
