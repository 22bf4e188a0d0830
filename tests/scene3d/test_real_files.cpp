// Real-world 3DS files against the tables of two independent readers and a raw chunk walker
// (tests/data/3ds, with the files' sources and licences). Missing data is a failure, never a skip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <tuple>

#include "platform/MessageBox.h"
#include "scene3d/FX_3ds.h"
#include "scene3d/SceneReader.h"

namespace fs = std::filesystem;

namespace {

using Row = std::vector<std::string>;

std::vector<Row> table(const fs::path& p) {
    std::vector<Row> rows;
    std::ifstream in(p);
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        Row r;
        std::stringstream s(line);
        for (std::string cell; std::getline(s, cell, '\t');) r.push_back(cell);
        rows.push_back(r);
    }
    return rows;
}

long number(const std::string& s) { return s == "-" ? -1 : std::stol(s); }

const fs::path kData = SOFTSHOW_3DS_TESTDATA;

struct RealFiles : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kData / "oracle-rawmesh.tsv")) << "no test data at " << kData;
        setMessageBoxesEnabled(false);
        // The reader writes its log beside each file: work on a copy, so the source tree stays clean.
        copy = fs::temp_directory_path() / ("softshow-real3ds-" + std::to_string(std::random_device{}()));
        fs::copy(kData, copy, fs::copy_options::recursive);
        for (const auto& e : fs::recursive_directory_iterator(copy)) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
    }
    void TearDown() override {
        if (!copy.empty()) fs::remove_all(copy);
    }
    fs::path copy;
};

}  // namespace

TEST_F(RealFiles, CountsMatchTheOracles) {
    std::map<std::string, std::vector<Row>> meshes, nodes;
    for (const Row& r : table(kData / "oracle-rawmesh.tsv")) meshes[r[0]].push_back(r);
    for (const Row& r : table(kData / "oracle-rawnodes.tsv")) nodes[r[0]].push_back(r);
    int files = 0, fatal = 0;
    for (const Row& sceneRow : table(kData / "oracle-scene.tsv")) {
        const std::string file = sceneRow[0];
        const std::string path = (copy / file).string();
        SCOPED_TRACE(file);
        // First pass: which textures are missing (those files must end on the loader's message).
        SceneReader probe;
        Scene probed;
        ASSERT_TRUE(probe.openScene(path));
        probe.loadTextures = false;
        probe.setDirectory(path);
        probe.openLog("", &probed);
        probe.readAll();
        bool missing = false;
        for (const std::string& p : probe.problems) missing |= p.rfind("texture file missing", 0) == 0;
        if (missing) {
            EXPECT_EXIT(FX_3ds(512, 384, path), ::testing::ExitedWithCode(0), "Texture file not found!");
            ++fatal;
            continue;
        }
        FX_3ds fx(512, 384, path);  // as the show reads it: textures loaded, log written
        const Scene& s = fx.scene;
        ++files;
        if (sceneRow[1] != "ok") {
            EXPECT_TRUE(s.meshes.empty());
            EXPECT_FALSE(fx.reader.problems.empty());
            continue;
        }
        EXPECT_TRUE(fx.reader.problems.empty()) << fx.reader.problems.front();
        EXPECT_EQ(std::make_tuple(long(s.meshes.size()), long(s.materials.size()), long(s.cameras.size())),
                  std::make_tuple(number(sceneRow[2]), number(sceneRow[3]), number(sceneRow[5])));
        const std::vector<Row>& expectMeshes = meshes[file];
        ASSERT_EQ(s.meshes.size(), expectMeshes.size());
        for (size_t i = 0; i < expectMeshes.size(); ++i) {  // vertices, faces, mapping pairs (-1: none)
            const Row& r = expectMeshes[i];
            const Mesh& m = *s.meshes[i];
            EXPECT_EQ(std::make_tuple(long(m.fileVertices.size()), long(m.faces.size()), m.hasMapping ? long(m.mapping.size()) : -1L),
                      std::make_tuple(number(r[3]), number(r[4]), number(r[5]))) << r[2];
        }
        // Nodes: the reader keeps mesh, camera, target and omni nodes, plus one roll node after a roll track.
        std::vector<const KeyframeNode*> ours;
        if (!s.keyframers.empty())
            for (const auto& n : s.keyframers[0]->nodes) ours.push_back(n.get());
        size_t at = 0;
        for (const Row& r : nodes[file]) {
            const std::map<std::string, int> types = {{"B002", 5}, {"B003", 1}, {"B004", 2}, {"B005", 4}};
            if (!types.count(r[2])) continue;
            ASSERT_LT(at, ours.size()) << r[4];
            const KeyframeNode& n = *ours[at++];
            EXPECT_EQ(n.type, types.at(r[2])) << r[4];
            if (r[4].find("\\x") == std::string::npos) {  // escaped names are not compared
                EXPECT_EQ(n.name, r[4]);
            }
            EXPECT_EQ(std::make_pair(long(n.positionKeys.size()), long(n.rotationKeys.size())),
                      std::make_pair(std::max(0L, number(r[6])), std::max(0L, number(r[7])))) << r[4];
            if (number(r[10]) >= 0) {
                ASSERT_LT(at, ours.size());
                EXPECT_EQ(ours[at]->type, KeyframeNode::Roll);
                EXPECT_EQ(long(ours[at++]->rollKeys.size()), number(r[10])) << r[4];
            }
        }
        EXPECT_EQ(at, ours.size());
        EXPECT_TRUE(fs::exists(fs::path(path).parent_path() / "scene.txt"));
    }
    EXPECT_GT(files, 20);
    std::printf("read %d files, %d ended on a missing texture\n", files, fatal);
}
