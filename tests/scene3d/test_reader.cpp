#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <array>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "platform/MessageBox.h"
#include "scene3d/FX_3ds.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneReader.h"
#include "tools/assetgen/ThreeDsWriter.h"

namespace fs = std::filesystem;

namespace {

// Two materials, a textured mesh with mapping, two material groups and an out-of-table chunk's
// neighbours, a camera, a light, and a keyframer with camera, target and mesh nodes.
tds::SceneData testScene() {
    tds::SceneData s;
    s.materials = {{"stone", 3, "Stone.PNG"}, {"plain", 1, ""}};
    tds::MeshData m;
    m.name = "box";
    m.vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {1, 0, 0}};
    m.faces = {{0, 1, 2, 7}, {1, 2, 3, 4}, {0, 2, 3, 1}};
    m.mapping = {{0.25f, 0.25f}, {1, 0}, {0, 1}, {1, 1}};
    m.groups = {{"plain", {0}}, {"stone", {1, 2}}};
    s.meshes = {m};
    s.cameras = {{"cam", {0, -100, 10}, {0, 0, 0}, 0, 35}};
    s.lights = {{"lamp", {10, 20, 30}}};
    s.keyframer = true;
    s.startFrame = 0, s.endFrame = 90;
    tds::NodeData camNode{0xB003, "cam", 1, -1, 0, {{0, {0, -100, 10}}, {45, {50, -50, 10}, 0x1F, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, {90, {0, -100, 10}}}};
    tds::NodeData targetNode{0xB004, "cam", 2, -1, 3, {{0, {0, 0, 0}}, {90, {0, 0, 5}}}};
    tds::NodeData meshNode{0xB002, "box", 3, -1, 0, {{0, {0, 0, 0}}}};
    s.nodes = {camNode, targetNode, meshNode};
    return s;
}

struct Reader : ::testing::Test {
    void SetUp() override {
        setMessageBoxesEnabled(false);
        dir = fs::temp_directory_path() / ("softshow-3ds-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        const unsigned char rgba[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
        stbi_write_png((dir / "stone.png").c_str(), 2, 2, 4, rgba, 8);  // named "Stone.PNG" in the file
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::vector<uint8_t>& bytes, const char* name = "scene.3ds") {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p.string();
    }
    // Reads without loading textures; returns the problems.
    std::vector<std::string> read(const std::vector<uint8_t>& bytes, Scene& scene) {
        SceneReader r;
        r.loadTextures = false;
        EXPECT_TRUE(r.openScene(write(bytes)));
        r.setDirectory((dir / "x").string());
        r.openLog("", &scene);
        r.readAll();
        return r.problems;
    }
    fs::path dir;
};

std::string text(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(Reader, WrittenScenesReadBackFieldForField) {
    const std::string path = write(tds::write3ds(testScene()));
    FX_3ds fx(512, 384, path);
    const Scene& s = fx.scene;
    EXPECT_TRUE(fx.reader.problems.empty());
    ASSERT_EQ(s.meshes.size(), 1u);
    const Mesh& m = *s.meshes[0];
    ASSERT_EQ(m.fileVertices.size(), 4u);
    EXPECT_EQ(m.fileVertices[2].position, Vector3(7, 8, 9));
    ASSERT_EQ(m.faces.size(), 3u);
    // Edge flags 0x04, 0x02, 0x01 become edges a-b, b-c, c-a: faces with flags 7, 4 and 1.
    const int edges[3][3] = {{1, 1, 1}, {1, 0, 0}, {0, 0, 1}};
    for (int f = 0; f < 3; ++f)
        EXPECT_EQ((std::array<int, 3>{m.faces[f].edgeAB, m.faces[f].edgeBC, m.faces[f].edgeCA}),
                  (std::array<int, 3>{edges[f][0], edges[f][1], edges[f][2]})) << f;
    EXPECT_EQ(m.mapping[0], Vector2(0.25f, 0.75f));      // v stored as 1 - v
    EXPECT_EQ(m.faces[0].uv[0], Vector2(0.25f, 0.75f));  // assigned at load
    EXPECT_EQ(m.faces[0].material, 1);
    EXPECT_EQ(m.faces[2].material, 0);
    EXPECT_EQ(m.renderMode, 3);  // the last group's material render type
    ASSERT_EQ(s.materials.size(), 2u);
    ASSERT_EQ(s.materials[0]->textures.size(), 1u);  // found despite the case of its name
    EXPECT_EQ(s.materials[0]->textures[0]->pixels[0], 0xFFFF0000u);
    ASSERT_EQ(s.cameras.size(), 1u);
    EXPECT_EQ(s.cameras[0]->position, Vector3(0, -100, 10));
    EXPECT_EQ(s.cameras[0]->nodeId, 2);  // the last node named "cam" is the target, id 2
    ASSERT_EQ(s.lights.size(), 1u);
    ASSERT_EQ(s.keyframers.size(), 1u);
    const Keyframer& k = *s.keyframers[0];
    EXPECT_EQ(k.endFrame, 90u);
    ASSERT_EQ(k.nodes.size(), 3u);
    EXPECT_EQ(k.nodes[1]->type, KeyframeNode::CameraTarget);
    EXPECT_EQ(k.nodes[1]->loopMode, 3u);
    const PositionKey& key = k.nodes[0]->positionKeys[1];
    EXPECT_EQ(key.frame, 45);
    EXPECT_EQ(key.spline.tension, 0.1f);
    EXPECT_EQ(key.spline.easeFrom, 0.5f);
    EXPECT_EQ(k.nodes[0]->positionKeys[0].spline.tension, 0.5f);  // flags 0: defaults
    EXPECT_EQ(k.nodes[0]->evaluatePosition(90), Vector3(0, -100, 10));

    // The log beside the file, in its formats.
    const std::string log = text(dir / "scene.txt");
    for (const char* line : {"Chunk: 0x4D4D (Main chunk) with length: ", "Chunk: 0x3D3D (3D-Editor chunk) with length: ",
                             "Name: stone\n", "Rendertype: PHONG\n", "Vertex 2: [7.00, 8.00, 9.00]\n",
                             "Face 1: [1, 2, 3] Flag: [1, 0, 0]\n", "Vertex 0: [0.25, 0.25]\n", " Lens: 35.00\n",
                             " Flag: 3\n", "   Acceleration data present: 31\n", "    Position: [50.00, -50.00, 10.00]\n",
                             " End: 90\n", " Hidden: no\n", "Hierarchy: 2\n", "Hierarchy father: 65535\n",  // a root
                             "\nFile pointer: "})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(Reader, NamesComeFromTheTableAndUnknownChunksAreEntered) {
    EXPECT_STREQ(chunkName(0xB028), "Falloff track");
    EXPECT_STREQ(chunkName(0x1234), "Unknown");
    EXPECT_STREQ(chunkName(0x0000), "Unknown");  // the "None" row is never matched

    // A file whose first chunk is not the main chunk stops after it.
    std::vector<uint8_t> bytes = tds::write3ds(testScene());
    bytes[0] = 0x4E;
    Scene scene;
    read(bytes, scene);
    EXPECT_TRUE(scene.meshes.empty());

    // Garbage and empty files draw nothing; besides the log, one line on stderr names the file and why.
    for (const std::string junk : {"not a scene", ""}) {
        const std::string path = write({junk.begin(), junk.end()}, "junk.3ds");
        ::testing::internal::CaptureStderr();
        FX_3ds fx(512, 384, path);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(path + ": " + (junk.empty() ? "the file is empty" : "the file holds no main chunk")),
                  std::string::npos) << err;
    }
}

TEST_F(Reader, DamagedFilesKeepWhatWasReadAndNeverReadOutside) {
    const std::vector<uint8_t> good = tds::write3ds(testScene());
    // Every prefix length: no crash or hang, and problems are reported for all but the whole file.
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        Scene scene;
        EXPECT_FALSE(read({good.begin(), good.begin() + long(cut)}, scene).empty()) << cut;
    }
    auto find = [&](uint16_t id) {
        for (size_t i = 0; i + 1 < good.size(); ++i)
            if (good[i] == (id & 255) && good[i + 1] == (id >> 8)) return i;
        return size_t(0);
    };
    auto patch = [](std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    const size_t vertices = find(0x4110), faces = find(0x4120), groups = find(0x4130), track = find(0xB020);
    const std::pair<const char*, std::function<void(std::vector<uint8_t>&)>> cases[] = {
        {"zero-length chunk", [&](auto& b) { patch(b, vertices + 2, 0, 4); }},
        {"length past the parent", [&](auto& b) { patch(b, vertices + 2, 0x7FFFFFF0, 4); }},
        {"huge vertex count", [&](auto& b) { patch(b, vertices + 6, 0x7FFF, 2); }},
        {"negative face count", [&](auto& b) { patch(b, faces + 6, 0x8000, 2); }},
        {"face index past the vertices", [&](auto& b) { patch(b, faces + 8, 900, 2); }},
        {"material face past the faces", [&](auto& b) { patch(b, groups + 6 + 6 + 2, 77, 2); }},
        {"unterminated string", [&](auto& b) { std::fill(b.begin() + long(groups) + 6, b.begin() + long(groups) + 16, 'X'); }},
        {"key count past the data", [&](auto& b) { patch(b, track + 6 + 10, 100000, 4); }},
    };
    for (const auto& [what, damage] : cases) {
        std::vector<uint8_t> bytes = good;
        damage(bytes);
        Scene scene;
        EXPECT_FALSE(read(bytes, scene).empty()) << what;
        EXPECT_FALSE(scene.materials.empty()) << what;  // read before the damage: kept
        for (const auto& m : scene.meshes)
            for (const Face& f : m->faces) {  // in range, or kept in place with no corner at all
                const size_t n = m->fileVertices.size();
                EXPECT_TRUE((f.a < n && f.b < n && f.c < n) || (f.a == Face::kDropped && f.b == f.a && f.c == f.a)) << what;
            }
    }
}

TEST_F(Reader, FaceNumbersAndNodeIdsAreKeptAsTheFileGivesThem) {
    tds::SceneData s = testScene();
    s.meshes[0].faces[0].a = 900;                     // dropped, yet still face 0:
    s.meshes[0].groups = {{"plain", {1}}, {"stone", {2}}};  // the groups keep naming faces 1 and 2
    s.cameras.push_back(s.cameras[0]);                // two cameras named "cam": the last takes the node id
    const std::string path = write(tds::write3ds(s));
    FX_3ds fx(512, 384, path);
    const Mesh& m = *fx.scene.meshes[0];
    ASSERT_EQ(m.faces.size(), 3u);
    EXPECT_EQ(m.faces[0].a, Face::kDropped);
    EXPECT_EQ(m.faces[1].material, 1);
    EXPECT_EQ(m.faces[2].material, 0);
    ASSERT_EQ(fx.scene.cameras.size(), 2u);
    EXPECT_EQ(fx.scene.cameras[0]->nodeId, -1);
    EXPECT_EQ(fx.scene.cameras[1]->nodeId, 2);
}

TEST_F(Reader, AMissingTextureEndsTheShowAndAReadOnlyFolderMeansNoLog) {
    tds::SceneData s = testScene();
    s.materials[0].texture = "nowhere.png";
    const std::string path = write(tds::write3ds(s));
    EXPECT_EXIT(FX_3ds(512, 384, path), ::testing::ExitedWithCode(0), "Texture file not found!\nsoftshow: .*nowhere.png");

    SceneReader r;
    Scene scene;
    ASSERT_TRUE(r.openScene(write(tds::write3ds(testScene()))));
    ::testing::internal::CaptureStderr();
    r.openLog((dir / "no-such-folder" / "scene.txt").string(), &scene);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot write " + (dir / "no-such-folder" / "scene.txt").string()),
              std::string::npos);  // said once, and the scene is read all the same
    r.loadTextures = false;
    r.readAll();
    EXPECT_EQ(scene.meshes.size(), 1u);
}
