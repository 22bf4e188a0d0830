// The built program, run as a user would run it.
#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/AudioFixtures.h"
#include "tools/assetgen/ThreeDsWriter.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status;
    std::string output;  // stdout and stderr together
};

Result run(const std::string& args, const std::string& env = "", const std::string& exe = SOFTSHOW_EXE) {
    const std::string command = env + " " + exe + " " + args + " 2>&1";
    Result r{-1, {}};
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) r.output.append(buffer, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

struct Program : ::testing::Test {
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("softshow-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

// The 512 x 384 picture at `path` as 0xRRGGBB words; empty when it cannot be read or has another size.
std::vector<uint32_t> picture(const fs::path& path) {
    int w = 0, h = 0, n = 0;
    unsigned char* rgb = stbi_load(path.c_str(), &w, &h, &n, 3);
    std::vector<uint32_t> words;
    for (int i = 0; rgb && w == 512 && h == 384 && i < w * h; ++i)
        words.push_back(uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2]);
    stbi_image_free(rgb);
    return words;
}

}  // namespace

TEST_F(Program, ShotOfTheBuiltInShowMatchesItsFillsAtFiveSeconds) {
    const fs::path png = dir / "out.png";
    const Result r = run("--test-show --headless --seed 1 --shot 5 " + png.string());
    ASSERT_EQ(r.status, 0) << r.output;
    const std::vector<uint32_t> img = picture(png);
    // At 5 s: the base fill is 5/8 of the way from black to 0xFF8C44 = (159, 87, 42), truncated;
    // the dim layer subtracts 0x20 from each channel: (127, 55, 10); the blue flash, halfway through
    // 0x0000FF -> 0 over [4, 6), adds 127 to blue: (127, 55, 137).
    EXPECT_EQ(std::count(img.begin(), img.end(), 0x7F3789u), 512 * 384);
}

TEST_F(Program, FramesWritesOneNumberedPngPerGridTime) {
    const Result r = run("--test-show --frames " + (dir / "frames").string() + " --fps 4 --from 12 --to 13");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "frames"), {}), 5);  // 12, 12.25, 12.5, 12.75, 13
    // At 12.5 the second palette step (0xFF8C44 -> 0x2040C0 over [8, 16)) (129, 97, 137), plus half
    // of a 0x313131 pulse (24 each).
    const std::vector<uint32_t> mid = picture(dir / "frames" / "frame_00050.png");  // 12.5 s at 4 fps
    ASSERT_EQ(mid.size(), 512u * 384u);
    EXPECT_EQ(mid[100 * 512 + 100], 0x9979A1u);
}

TEST_F(Program, BenchReportsSpeedAndMemory) {
    const Result r = run("--test-show --bench --fps 5");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("bench: 611 frames"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("slowest windows:"), std::string::npos);
    EXPECT_NE(r.output.find("peak RSS:"), std::string::npos);
}

TEST_F(Program, BadArgumentsExitTwoWithTheArgumentAndUsage) {
    const std::tuple<std::string, int, const char*, const char*> cases[] = {
        {"--fsp 30", 2, "softshow: unknown argument '--fsp'", "usage: softshow"},
        {"--data " + (dir / "missing").string(), 2, "--data", "usage: softshow"},
        {"--help", 0, "--shot T FILE.png", "usage: softshow"},
        {"--export show.avi", 2, "the supported extensions are mp4, mkv, webm", "usage: softshow"},
        {"--export show.mp4 --from 5 --to 5", 2, "--to must be after --from", "usage: softshow"},
        // A folder that cannot be written is reported before anything is rendered, and nothing is left.
        {"--test-show --export /nonexistent/show.mp4 --to 1", 1, "cannot write /nonexistent/show.mp4.partial", ""},
        {"--test-show --shot 1 /nonexistent/shot.png", 1, "cannot write in /nonexistent", ""},
    };
    for (const auto& [args, status, first, second] : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_NE(r.output.find(first), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(second), std::string::npos) << r.output;
    }
}

TEST_F(Program, NoDisplayIsReportedAndEndsWithStatusZero) {
    // Unless a driver is asked for by name, SDL's drivers that show nothing count as no display.
    for (const char* driver : {"-u SDL_VIDEODRIVER", "SDL_VIDEODRIVER=x11"}) {
        const Result r = run("--test-show --start 121 --no-audio --data " + dir.string(),
                             std::string("env -u DISPLAY -u WAYLAND_DISPLAY ") + driver);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.output.find("Error: Failed to Init DirectDraw\n"), std::string::npos) << driver << r.output;
        EXPECT_NE(r.output.find("--headless"), std::string::npos) << driver << r.output;  // and what to do
        EXPECT_FALSE(fs::exists(dir / "synch.txt"));  // nothing after the failed display
    }
}

TEST_F(Program, VersionToolHelpAndAFolderWithoutTheShow) {
    const std::string tools = SOFTSHOW_TOOLS_DIR;
    const std::tuple<std::string, std::string, const char*> cases[] = {
        {SOFTSHOW_EXE, "--version", "softshow 0."}, {SOFTSHOW_EXE, "--version", "libmpg123"},
        {SOFTSHOW_EXE, "--test-show --headless --timing --start 121.9", "timing: first picture "},
        {tools + "/softshow-assetgen", "--help", "usage: softshow-assetgen [DIR]"},
        {tools + "/softshow-sintab", "--help", "usage: softshow-sintab [FILE]"},
    };
    for (const auto& [exe, args, text] : cases) {
        const Result r = run(args, "cd " + dir.string() + " &&", exe);
        EXPECT_EQ(r.status, 0) << exe;
        EXPECT_NE(r.output.find(text), std::string::npos) << r.output;
    }
    fs::remove(dir / "synch.txt");
    EXPECT_TRUE(fs::is_empty(dir));  // no folder named --help, no sintab file
    fs::create_directory(dir / "synch.txt");  // cannot be written, even by root: the show goes on with a line
    const Result marks = run("--test-show --headless --start 121.9 --data " + dir.string());
    EXPECT_EQ(marks.status, 0);
    EXPECT_NE(marks.output.find("softshow: cannot write synch.txt: "), std::string::npos) << marks.output;
    fs::remove(dir / "synch.txt");
    const Result r = run("--headless --data " + dir.string());  // the show, from a folder without its files
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("softshow: show.toml: cannot read the show file"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("softshow: no show files in " + dir.string() + ": run `make run`"), std::string::npos) << r.output;
}

TEST_F(Program, EffectsAreListedAndABadShowFileStopsBeforeAnyFrame) {
    const Result list = run("--effects");
    EXPECT_EQ(list.status, 0);
    for (const char* line : {"FillColor: fills the frame", "  texture     a 256 x 256 picture (picture \"list:index\", required)",
                             "  segments: position, target, angles, track", "  track       [from, to]"})
        EXPECT_NE(list.output.find(line), std::string::npos) << line << "\n" << list.output;
    std::ofstream(dir / "bad.toml") << "end = 10\nfx = [\n  { fx = \"FillColor\", blend = 7 },\n]\n";
    const Result r = run("--show " + (dir / "bad.toml").string() + " --frames " + (dir / "frames").string());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("softshow: " + (dir / "bad.toml").string() + ":3:31: FillColor's blend must lie in 0..2"),
              std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "frames"));
    // Times are bounded by the show's own end once it is read.
    for (const char* args : {"--test-show --headless --start 122", "--test-show --frames d --from 123"}) {
        const Result past = run(args);
        EXPECT_EQ(past.status, 2) << args;
        EXPECT_NE(past.output.find(": the show ends at 122 seconds"), std::string::npos) << past.output;
    }
}

TEST_F(Program, MusicThatCannotPlayEndsTheShowWithTheMessage) {
    std::ofstream(dir / "Velm_test2.mp3") << "not music at all\n";  // the decoder's cases: the music tests
    const Result r = run("--test-show --headless --data " + dir.string());
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.output.find("Bass error!: Error(2): Can't play the file"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Velm_test2.mp3: "), std::string::npos) << r.output;  // and why
}

TEST_F(Program, SpectrumPrintsTheBandsOfTheMusicAtATime) {
    ASSERT_FALSE(writeMp3((dir / "Velm_test2.mp3").string(), sineWave(1000, 0.99, 3.0, 44100, 2), {}).empty());
    const Result r = run("--spectrum 1.5 --data " + dir.string());
    ASSERT_EQ(r.status, 0) << r.output;
    std::istringstream lines(r.output);
    std::vector<double> bands;
    for (double bin, magnitude; lines >> bin >> magnitude; bands.push_back(magnitude)) EXPECT_EQ(bin, double(bands.size()));
    ASSERT_EQ(bands.size(), 512u);
    EXPECT_NEAR(std::max_element(bands.begin(), bands.end()) - bands.begin(), 23, 1);  // 1000 Hz at 44.1 kHz
}

TEST_F(Program, ShowTimeFollowsTheMusicPlayingOnADevice) {
    // A quiet two-minute track; started at 118 s the show must end when the music reaches 122 s.
    ASSERT_FALSE(writeMp3((dir / "Velm_test2.mp3").string(), sineWave(220, 0.2, 124.0, 22050, 1),
                          {22050, 1, 32, 9})
                     .empty());
    std::ofstream(dir / "synch.txt") << "12.00\n";  // emptied at start
    const auto start = std::chrono::steady_clock::now();
    const Result r = run("--test-show --seed 1 --start 118 --data " + dir.string(),
                         "env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_GT(seconds, 3.5) << r.output;  // 4 s of music, plus start-up
    EXPECT_LT(seconds, 9.0);
    EXPECT_EQ(fs::file_size(dir / "synch.txt"), 0u);  // in the --data folder, emptied, no marks
}

TEST_F(Program, SceneInfoSummarisesAFileAndItsDamage) {
    tds::SceneData data;
    data.materials = {{"gold", 6, "missing.png"}};
    tds::MeshData m{"tri", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 7}, {0, 1, 9, 7}}, {}, {{"gold", {0}}}, true};
    data.meshes = {m};
    data.cameras = {{"eye", {0, -10, 0}, {0, 0, 0}, 0, 35}};
    std::string reason;
    ASSERT_TRUE(tds::write3dsFile((dir / "s.3ds").string(), data, reason));
    Result r = run("--scene-info " + (dir / "s.3ds").string());
    EXPECT_EQ(r.status, 0) << r.output;
    for (const char* line : {"mesh \"tri\": 3 vertices, 1 faces, 0 mapping pairs, render mode 6, materials: \"gold\"",
                             "material \"gold\": render type 6, textures: missing.png",
                             "camera \"eye\": position (0.00, -10.00, 0.00), target (0.00, 0.00, 0.00)", "problems: 2",
                             "face 1 names a vertex beyond 3; dropped", "texture file missing: "})
        EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output;
    EXPECT_FALSE(fs::exists(dir / "scene.txt"));  // no log beside the file

    std::ofstream(dir / "text.3ds") << "not a scene";
    EXPECT_EQ(run("--scene-info " + (dir / "text.3ds").string()).status, 1);
    EXPECT_EQ(run("--scene-info " + (dir / "none.3ds").string()).status, 1);
}

TEST_F(Program, GalleryWritesEveryEffectAndAnIndex) {
    const Result r = run("--gallery " + (dir / "gallery").string());
    ASSERT_EQ(r.status, 0) << r.output;
    std::ifstream index(dir / "gallery" / "index.html");
    std::stringstream html;
    html << index.rdbuf();
    int pngs = 0;
    for (const auto& e : fs::directory_iterator(dir / "gallery")) pngs += e.path().extension() == ".png";
    EXPECT_EQ(pngs, 28 * 3 + 2);  // 28 rows, two "before" pictures
    for (const char* name : {"FX_Blur", "FX_Sticks", "FX_3ds (wireframe)", "FX_GridExpander (tunnel)", "fx-fractal-04.0.png",
                             "before-picture.png", "draw nothing: FX_DiscoMosaic FX_SpriteRotate",
                             "show files: fx = \"Blur\": box blur of the frame; radius = 4"})
        EXPECT_NE(html.str().find(name), std::string::npos) << name;
    EXPECT_EQ(picture(dir / "gallery" / "fx-2dtunnel-01.0.png").size(), 512u * 384u);
}
